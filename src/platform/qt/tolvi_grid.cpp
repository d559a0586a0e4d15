#include "platform/qt/tolvi_grid.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "platform/qt/codec.h"

namespace tolvi::platform {

namespace {

Qt::Alignment AlignmentOf(int code) {
    switch (code) {
        case 1:
            return Qt::AlignRight | Qt::AlignVCenter;
        case 2:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// The key code an editor's key press is reported with: the control keys by their old codes, a
// character by its code-page byte.
int KeyCodeOf(const QKeyEvent* k) {
    switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        default:
            break;
    }
    const std::string text = FromQString(k->text());
    return text.size() == 1 ? static_cast<unsigned char>(text[0]) : k->key();
}

int ShiftOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

// Cell editors (a plain line edit taking code-page text only), the marks of the choice columns,
// and the commit that notes a changed text for AfterEdit.
class TolviGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(TolviGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setValidator(new CodePageValidator(editor));
        editor->installEventFilter(const_cast<Delegate*>(this));
        grid_->editor_ = editor;
        emit grid_->EditorOpened(editor);
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr || line->text() == index.data(Qt::EditRole).toString()) return;
        model->setData(index, line->text(), Qt::EditRole);
        grid_->pendingRow_ = index.row() + 1;
        grid_->pendingCol_ = index.column();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto mark = grid_->marks_.find(index.column());
        if (mark == grid_->marks_.end()) return;
        option->text = mark->second == index.row() + 1 ? QStringLiteral("\u25CF") : QString();
        option->displayAlignment = Qt::AlignCenter;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (grid_->OnEditorKey(KeyCodeOf(key), ShiftOf(key->modifiers()), key->key() == Qt::Key_Escape))
                return true;
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    TolviGrid* grid_;
};

TolviGrid::TolviGrid(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new Delegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);
    SetRows(1);
    SetCols(1);

    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
        if (row >= 0) row_ = row + 1;
        if (col >= 0) col_ = col;
    });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (marks_.count(index.column())) SetMarkedRow(index.column(), index.row() + 1);
        emit Click();
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { emit DblClick(); });
}

int TolviGrid::Rows() const { return rowCount() + 1; }

void TolviGrid::SetRows(int rows) {
    setRowCount(std::max(rows, 1) - 1);
    Refit();
}

int TolviGrid::Cols() const { return columnCount(); }

void TolviGrid::SetCols(int cols) {
    const int before = columnCount();
    setColumnCount(std::max(cols, 0));
    // Every heading gets an item, so an empty heading shows empty rather than a number.
    for (int c = before; c < columnCount(); ++c) {
        auto* head = new QTableWidgetItem;
        head->setTextAlignment(AlignmentOf(HeadAlignment(c)));
        setHorizontalHeaderItem(c, head);
    }
    Refit();
}

void TolviGrid::SetRow(int row) {
    row_ = row;
    if (row >= 1 && row <= rowCount())
        setCurrentCell(row - 1, std::clamp(col_, 0, std::max(0, columnCount() - 1)));
}

void TolviGrid::SetCol(int col) {
    col_ = col;
    if (row_ >= 1 && row_ <= rowCount() && col >= 0 && col < columnCount()) setCurrentCell(row_ - 1, col);
}

std::string TolviGrid::Text() const { return TextMatrix(row_, col_); }

void TolviGrid::SetText(const std::string& text) { SetTextMatrix(row_, col_, text); }

std::string TolviGrid::TextMatrix(int row, int col) const {
    if (col < 0 || col >= columnCount()) return {};
    const QTableWidgetItem* item = row == 0 ? horizontalHeaderItem(col) : this->item(row - 1, col);
    return item ? FromQString(item->text()) : std::string();
}

void TolviGrid::SetTextMatrix(int row, int col, const std::string& text) {
    if (QTableWidgetItem* item = CellItem(row, col)) item->setText(ToQString(text));
}

QTableWidgetItem* TolviGrid::CellItem(int row, int col) {
    if (col < 0 || col >= columnCount() || row < 0 || row > rowCount()) return nullptr;
    if (row == 0) return horizontalHeaderItem(col);
    QTableWidgetItem* cell = item(row - 1, col);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        ApplyAlignment(cell, col);
        setItem(row - 1, col, cell);
    }
    return cell;
}

void TolviGrid::ApplyAlignment(QTableWidgetItem* cell, int col) const {
    cell->setTextAlignment(AlignmentOf(ColAlignment(col)));
}

int TolviGrid::TopRow() const {
    const int top = rowAt(0);
    return top < 0 ? 1 : top + 1;
}

void TolviGrid::SetTopRow(int row) {
    if (row < 1 || row > rowCount()) return;
    if (verticalScrollMode() == QAbstractItemView::ScrollPerItem)
        verticalScrollBar()->setValue(row - 1);
    else
        scrollTo(model()->index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

int TolviGrid::ColWidth(int col) const { return columnWidth(col); }

void TolviGrid::SetColWidth(int col, int width) {
    setColumnWidth(col, std::max(width, 0));
    Refit();
}

int TolviGrid::RowHeight(int row) const {
    if (row == 0)
        return horizontalHeader()->isVisible() ? horizontalHeader()->height()
                                               : horizontalHeader()->sizeHint().height();
    return rowHeight(row - 1);
}

int TolviGrid::ColAlignment(int col) const {
    const auto it = colAlign_.find(col);
    return it == colAlign_.end() ? 0 : it->second;
}

void TolviGrid::SetColAlignment(int col, int alignment) {
    colAlign_[col] = alignment;
    for (int r = 0; r < rowCount(); ++r)
        if (QTableWidgetItem* cell = item(r, col)) ApplyAlignment(cell, col);
}

int TolviGrid::HeadAlignment(int col) const {
    const auto it = headAlign_.find(col);
    return it == headAlign_.end() ? 2 : it->second;
}

void TolviGrid::SetHeadAlignment(int col, int alignment) {
    headAlign_[col] = alignment;
    if (QTableWidgetItem* head = horizontalHeaderItem(col)) head->setTextAlignment(AlignmentOf(alignment));
}

void TolviGrid::SetEditActive(bool active) {
    if (active) {
        if (!editor_ && row_ >= 1 && row_ <= rowCount())
            edit(model()->index(row_ - 1, col_), QAbstractItemView::AllEditTriggers, nullptr);
        return;
    }
    if (!editor_) return;
    QWidget* editor = editor_;
    if (escaping_) {
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    } else {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TolviGrid::DiscardEdit() {
    if (!editor_) return;
    pendingRow_ = pendingCol_ = -1;
    closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
}

void TolviGrid::InsertRow(const std::string& text, int pos) {
    const int at = std::clamp(pos, 1, rowCount() + 1) - 1;
    insertRow(at);
    std::size_t start = 0;
    for (int c = 0; c < columnCount() && start <= text.size(); ++c) {
        const std::size_t tab = text.find('\t', start);
        const std::string cell =
            text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        SetTextMatrix(at + 1, c, cell);
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    Refit();
}

void TolviGrid::RemoveRow(int pos) {
    if (pos < 1 || pos > rowCount()) return;
    removeRow(pos - 1);
    Refit();
}

void TolviGrid::SetChoiceColumn(int col, bool on) {
    if (on)
        marks_.emplace(col, 0);
    else
        marks_.erase(col);
    viewport()->update();
}

int TolviGrid::MarkedRow(int col) const {
    const auto it = marks_.find(col);
    return it == marks_.end() ? 0 : it->second;
}

void TolviGrid::SetMarkedRow(int col, int row) {
    marks_[col] = row;
    viewport()->update();
}

void TolviGrid::SetEditColumn(int col, bool on) {
    if (on)
        editCols_.insert(col);
    else
        editCols_.erase(col);
}

int TolviGrid::VisibleDataRows() const {
    const int rowH = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rowH);
}

void TolviGrid::FitRows(int rows) {
    fitRows_ = std::max(rows, 1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Refit();
}

void TolviGrid::Refit() {
    if (fitRows_ <= 0) return;
    const bool scrolls = rowCount() > fitRows_;
    setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    int width = 2 * frameWidth();
    for (int c = 0; c < columnCount(); ++c) width += columnWidth(c);
    if (scrolls) width += verticalScrollBar()->sizeHint().width();
    const int height = 2 * frameWidth() + horizontalHeader()->sizeHint().height() +
                       fitRows_ * verticalHeader()->defaultSectionSize();
    setFixedSize(width, height);
}

bool TolviGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid() || !editCols_.count(index.column())) return false;
    return QTableWidget::edit(index, trigger, event);
}

void TolviGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == editor_) editor_ = nullptr;
    QTableWidget::closeEditor(editor, hint);
    if (pendingRow_ < 0) return;
    const int row = pendingRow_, col = pendingCol_;
    pendingRow_ = pendingCol_ = -1;
    emit AfterEdit(col, row);
}

bool TolviGrid::OnEditorKey(int key, int shift, bool esc) {
    escaping_ = esc;
    emit KeyPressEdit(key, shift, 0);
    escaping_ = false;
    return editor_ == nullptr;
}

void TolviGrid::mousePressEvent(QMouseEvent* event) {
    mouseCol_ = columnAt(event->position().toPoint().x());
    QTableWidget::mousePressEvent(event);
}

void TolviGrid::changeEvent(QEvent* event) {
    QTableWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    const int rowH = fontMetrics().height() + 6;
    verticalHeader()->setDefaultSectionSize(rowH);
    for (int r = 0; r < rowCount(); ++r) setRowHeight(r, rowH);
    Refit();
}

}  // namespace tolvi::platform
