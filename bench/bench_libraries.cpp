// The library dialog on a library of 10,000 symbols, and the aperture table editor on a table of
// 1,000 sizes, on Qt's offscreen platform: what a designer waits for after a click.
//
//   Browse:  a click on the library file until its entries are listed and the first previewed
//            (target under 200 ms);
//   Find:    the library files of the kind searched for a library's last name (under 20 ms);
//            its first run reads a library of 10,000 entries that nothing has read before;
//   Preview: a click on an entry of the browsed library until its symbol is drawn (under 16 ms);
//   Aperture editor: from construction until it is shown and painted (under 100 ms).
//
// The headline is the first run in this fresh process, printed before the benchmarks; they add
// the best and the mean of many runs. Baselines do the raw work alone: reading the library file's
// bytes into a buffer made beforehand (what any listing must at least do), drawing the symbol
// already loaded, and showing an empty dialog.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QMetaObject>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/colour_settings.h"
#include "common/general_settings.h"
#include "common/option_store.h"
#include "common/settings_access.h"
#include "kernel/kernel.h"
#include "kernel/qt/qpainter_sink.h"
#include "offscreen_qt.h"
#include "platform/paths.h"
#include "platform/qt/preview_canvas.h"
#include "setup/library_objects.h"
#include "setup/optnlibs.h"
#include "setup/postapt.h"
#include "support/library_builder.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tolvi;

constexpr int kEntries = 10000;
constexpr int kApertures = 1000;
// Browsed; the find goes through AAA.SYMBOL and then BIG.SYMBOL (the same entries), which the
// browse has not read.
const char* const kLibrary = "VIEW.SYMBOL";
const char* const kSearched = "BIG.SYMBOL";
const std::string kLastName = "S09999";

std::string gDir;
std::map<std::string, double> gFirstMs;
std::unique_ptr<OPTNLIBS> gForm;

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// --- what is timed ---

void Browse() {
    gForm->F_Lib[1]->setText(kLibrary);
    gForm->BrowseLibrary(1);
    QApplication::processEvents();
}

void Find() {
    int32_t err = 1;
    int index = -1;
    gForm->FindInLibraries(err, 1, kLastName, index);
    if (err != 0) std::fprintf(stderr, "bench_libraries: %s not found\n", kLastName.c_str());
}

int gEntry = 0;
void Preview() {
    QComboBox* list = gForm->F_BrowseList[1];
    gEntry = (gEntry + 997) % list->count();
    list->setCurrentIndex(gEntry);
    gForm->F_BrowseList_Click(1);
    gForm->ViewPicture[0]->repaint();
}

void ShowApertureEditor() {
    auto* form = new POSTAPT;
    QMetaObject::invokeMethod(form, "Form_Load", Qt::DirectConnection);
    form->show();
    QApplication::processEvents();
    form->repaint();
    delete form;
}

// --- baselines ---

std::vector<char> gBuffer;
void ReadLibraryBytes() {
    const int fd = ::open(platform::JoinPath(gDir, kLibrary).c_str(), O_RDONLY);
    size_t got = 0;
    for (ssize_t n; (n = ::read(fd, gBuffer.data() + got, gBuffer.size() - got)) > 0;) got += size_t(n);
    ::close(fd);
    benchmark::DoNotOptimize(got);
}

QImage gCanvas(220, 150, QImage::Format_RGB32);
void DrawLoadedSymbol() {
    QPainter painter(&gCanvas);
    QPainterSink sink(painter);
    DcRec dc{gForm->PreviewScale(0), gCanvas.width(), gCanvas.height(), 0, 0, 0};
    G_OpenDC(&sink, dc);
    DrawSymbolAt(-1, 0, 0, 0, 0);
    G_CloseDC();
}

void ShowEmptyDialog() {
    auto* d = new QDialog;
    auto* l = new QVBoxLayout(d);
    l->addWidget(new QPushButton("Accept"));
    l->addWidget(new QPushButton("Cancel"));
    d->show();
    QApplication::processEvents();
    d->repaint();
    delete d;
}

double TimeOnce(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return Ms(t0, Clock::now());
}

void Timed(benchmark::State& state, const std::function<void()>& f, const std::string& name) {
    double best = 1e30;
    for (auto _ : state) best = std::min(best, TimeOnce(f));
    state.counters["first_ms"] = gFirstMs[name];
    state.counters["best_ms"] = best;
}

// The settings, a library of kEntries symbols of the size of a flip-flop (six pins, a body and
// a name), a second small library of the kind, and an aperture table of kApertures sizes.
bool Prepare(const QTemporaryDir& dir) {
    gDir = dir.path().toStdString();
    gIniFile = platform::JoinPath(gDir, "TOLVI32.INI");
    std::ofstream(gIniFile) << "[Tolvi32]\r\nSysDir=" << gDir << "\r\nLibDir=" << gDir
                            << "\r\n[POSTART]\r\nAper=STD\r\n";
    std::ofstream apt(platform::JoinPath(gDir, "STD.APT"));
    for (int i = 1; i <= kApertures; ++i)
        apt << i * 2540 << "," << 10 + i % 990 << ",0," << 10 + (i * 7) % 990 << "\r\n";
    apt << "\"#\",\"#\",\"#\",\"#\"\r\n";
    apt.close();
    if (DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE") == 0) return false;
    LoadPalette();
    LoadAllOptionSets();

    test::LibraryBuilder big(test::LibraryBuilder::Symbols), small(test::LibraryBuilder::Symbols);
    for (int i = 0; i < kEntries; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "S%05d", i);
        big.Symbol(name, 6, 800000, 1000000);
    }
    small.Symbol("OTHER", 4);
    if (!big.Save(platform::JoinPath(gDir, kLibrary)) || !big.Save(platform::JoinPath(gDir, kSearched)) ||
        !small.Save(platform::JoinPath(gDir, "AAA.SYMBOL")))
        return false;
    std::ifstream in(platform::JoinPath(gDir, kLibrary), std::ios::binary | std::ios::ate);
    gBuffer.resize(size_t(in.tellg()));
    std::printf("library: %d entries, %zu bytes; aperture table: %d sizes\n", kEntries, gBuffer.size(),
                kApertures);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenQt();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !Prepare(dir)) {
        std::fprintf(stderr, "bench_libraries: cannot prepare the library\n");
        return 1;
    }
    gForm = std::make_unique<OPTNLIBS>();
    QMetaObject::invokeMethod(gForm.get(), "Form_Load", Qt::DirectConnection);
    gForm->show();
    QApplication::processEvents();

    // The first runs, each the first of its kind in this process.
    const std::vector<std::pair<std::string, std::function<void()>>> runs = {
        {"baseline_read", ReadLibraryBytes},
        {"browse", Browse},
        {"find", Find},
        {"preview", Preview},
        {"baseline_draw", DrawLoadedSymbol},
        {"baseline_dialog", ShowEmptyDialog},
        {"aperture_editor", ShowApertureEditor},
    };
    std::printf("first run in a fresh process (ms):\n");
    for (const auto& [name, f] : runs) {
        gFirstMs[name] = TimeOnce(f);
        std::printf("  %-16s %8.2f\n", name.c_str(), gFirstMs[name]);
    }
    std::fflush(stdout);

    for (const auto& [name, f] : runs)
        benchmark::RegisterBenchmark(name.c_str(), [f = f, name = name](benchmark::State& s) {
            Timed(s, f, name);
        })->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gForm.reset();
    return 0;
}
