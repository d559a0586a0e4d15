#pragma once
// The editable table of the setup dialogs: text cells addressed by row and column from 0, where
// row 0 is the heading row and rows 1..Rows()-1 hold the data. The members keep the names the
// dialogs have always called them by (Rows, Row, Col, Text, TextMatrix, ...); texts are the
// program's single-byte code-page text. Sizes are pixels.
//
// Row and Col are the grid's current cell as the dialogs see it: a click or a keyboard move sets
// them, and setting them moves the table's current cell (Row 0 only addresses the headings for
// writing). A choice column shows one mark, on MarkedRow(col); a click on a data row of it moves
// the mark before Click is raised. An edit column is edited in place; AfterEdit follows an edit
// only when it changed the text, never after Esc.
#include <QPointer>
#include <QTableWidget>
#include <map>
#include <set>
#include <string>

namespace tolvi::platform {

class TolviGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TolviGrid(QWidget* parent = nullptr);

    // Row count including the heading row; growing or cutting keeps the surviving cells' texts.
    int Rows() const;
    void SetRows(int rows);
    int Cols() const;
    void SetCols(int cols);

    int Row() const { return row_; }
    void SetRow(int row);
    int Col() const { return col_; }
    void SetCol(int col);
    // Text of the current cell (Row, Col).
    std::string Text() const;
    void SetText(const std::string& text);
    std::string TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const std::string& text);

    // First data row shown; setting it scrolls that row to the top.
    int TopRow() const;
    void SetTopRow(int row);
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    // Row 0 is the heading row.
    int RowHeight(int row) const;
    int Height() const { return height(); }
    // 0 left, 1 right, 2 centred: of a column's data cells and of its heading cell.
    int ColAlignment(int col) const;
    void SetColAlignment(int col, int alignment);
    int HeadAlignment(int col) const;
    void SetHeadAlignment(int col, int alignment);
    // The column of the last mouse press (-1 before any).
    int MouseCol() const { return mouseCol_; }
    // True while a cell editor is open; setting false takes the typed text and closes it (the
    // text is dropped instead while the editor is handling Esc).
    bool EditActive() const { return editor_ != nullptr; }
    void SetEditActive(bool active);
    // False while a table is refilled: nothing is repainted, and the focus stays where it is.
    bool Visible() const { return updatesEnabled(); }
    void SetVisible(bool visible) { setUpdatesEnabled(visible); }
    void SetFocus() { setFocus(Qt::OtherFocusReason); }
    // Inserts a data row at pos (1 = first; Rows() appends) with the tab-separated cell texts.
    void InsertRow(const std::string& text, int pos);
    void RemoveRow(int pos);
    void SetChoiceColumn(int col, bool on);
    // A row outside 1..Rows()-1 shows no mark.
    int MarkedRow(int col) const;
    void SetMarkedRow(int col, int row);
    void SetEditColumn(int col, bool on);
    // The finishing and display calls after a refill; they only repaint.
    void Finish(int) { viewport()->update(); }

    // --- conveniences beyond the control's own members ---
    // Whole data rows the viewport shows (at least 1).
    int VisibleDataRows() const;
    // Fixes the grid's size to show every column and `rows` data rows (a scroll bar when there
    // are more); kept when the font or the columns change.
    void FitRows(int rows);
    // Closes an open cell editor without taking its text.
    void DiscardEdit();

signals:
    void Click();
    void DblClick();
    // Raised for every key pressed in a cell editor before the editor handles it: the key code
    // (13 Enter, 27 Esc, 8 Backspace, 9 Tab, else the character's code), the shift state (1
    // Shift, 2 Ctrl, 4 Alt) and 0.
    void KeyPressEdit(int key, int shift, int unused);
    void AfterEdit(int col, int row);
    // A cell editor was made (the dialogs hang their key handling on it).
    void EditorOpened(QWidget* editor);

protected:
    using QTableWidget::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Delegate;
    friend class Delegate;

    QTableWidgetItem* CellItem(int row, int col);
    void ApplyAlignment(QTableWidgetItem* item, int col) const;
    void Refit();
    // Raises KeyPressEdit; true when the handler closed the editor.
    bool OnEditorKey(int key, int shift, bool esc);

    int row_ = 0;
    int col_ = 0;
    int mouseCol_ = -1;
    std::map<int, int> colAlign_;
    std::map<int, int> headAlign_;
    std::map<int, int> marks_;
    std::set<int> editCols_;
    int fitRows_ = 0;
    QPointer<QWidget> editor_;
    bool escaping_ = false;
    // The cell whose edit changed its text; AfterEdit is raised once the editor has closed.
    int pendingRow_ = -1;
    int pendingCol_ = -1;
};

}  // namespace tolvi::platform
