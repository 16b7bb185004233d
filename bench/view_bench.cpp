// What the user sees: repainting the map view, the environment windows, and
// how long the editor's event loop stands still while it opens a mission.

#include "bench_inputs.h"

#include "environment_dialog.h"
#include "environment_windows.h"
#include "main_window.h"
#include "map_painter.h"
#include "mission_history.h"
#include "scripted_dialogs.h"
#include "text.h"
#include "unit_editing.h"
#include "view_transform.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace kmission::bench {

namespace {

QImage ViewImage(int ratio) {
    const QSize view(kMapViewSize.width, kMapViewSize.height);
    QImage image(view * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

// Every unit box of the mission is cyan; a paint without any drew no units.
bool ShowsUnits(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (std::find(line, line + image.width(), kUnitColour) != line + image.width()) {
            return true;
        }
    }
    return false;
}

void BM_Repaint(benchmark::State& state) {
    const auto ratio = static_cast<int>(state.range(0));
    const EditorState& editor = OpenEditorState();
    const QImage& surface = MapSurface();
    const QSize view(kMapViewSize.width, kMapViewSize.height);
    const QColor background(kButtonFaceColour);
    QImage image = ViewImage(ratio);
    for (auto _ : state) {
        QPainter painter(&image);
        PaintMapView(painter, editor, surface, view, background);
    }
    if (!ShowsUnits(image)) {
        state.SkipWithError("the view shows no unit");
    }
}

// A large, dense screen: the view at 1920 x 1080 and device pixel ratio 2.
constexpr QSize kLargeView(1920, 1080);

QImage LargeViewImage() {
    QImage image(kLargeView * 2, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    return image;
}

// The view keeps its layers between repaints (5c). Without them, every paint
// draws everything, much as the first paint after a change of the view, the
// picture or a region does (5e).
void PaintLarge(benchmark::State& state, MapLayers* layers) {
    const EditorState& editor = OpenEditorState();
    const QImage& surface = MapSurface();
    const QColor background(kButtonFaceColour);
    QImage image = LargeViewImage();
    const auto paint = [&] {
        QPainter painter(&image);
        PaintMapView(painter, editor, surface, kLargeView, background, layers);
    };
    paint(); // a repaint follows a first paint, which drew the layers
    for (auto _ : state) {
        paint();
    }
    if (!ShowsUnits(image)) {
        state.SkipWithError("the view shows no unit");
    }
}

void BM_RepaintLarge(benchmark::State& state) {
    MapLayers layers;
    PaintLarge(state, &layers);
}

void BM_FullPaintLarge(benchmark::State& state) {
    PaintLarge(state, nullptr);
}

// One step of dragging a unit in move mode: the unit moved to the pointer,
// which writes its X and Z texts, and the view repainted as the map view
// repaints it, its old and new box only.
void BM_DragStepLarge(benchmark::State& state) {
    EditorState& editor = OpenEditorState();
    const QImage& surface = MapSurface();
    const QColor background(kButtonFaceColour);
    QImage image = LargeViewImage();
    const int entry = UnitListEntry(editor.mission);
    const EntryTree& units = editor.mission.missionEntries[static_cast<std::size_t>(entry)];
    int first = 1;
    while (first < units.nodeCount() && !IsUnitWithValues(units, first)) {
        ++first;
    }
    const float x = static_cast<float>(TextToNumber(units.nodes[first + kUnitXOffset].text()));
    const float z = static_cast<float>(TextToNumber(units.nodes[first + kUnitZOffset].text()));
    editor.moveMode = true;
    editor.selectedEntry = entry;
    editor.selectedNode = first;
    MapLayers layers;
    {
        QPainter painter(&image); // the view as it was when the drag began
        PaintMapView(painter, editor, surface, kLargeView, background, &layers);
    }
    int step = 0;
    for (auto _ : state) {
        const float offset = static_cast<float>(++step % 16);
        const QRect before = SelectedUnitArea(editor, kLargeView);
        if (!MoveSelectedUnit(editor, x + offset, z - offset)) {
            state.SkipWithError("the unit does not move");
            break;
        }
        QPainter painter(&image);
        painter.setClipRect(before | SelectedUnitArea(editor, kLargeView));
        PaintMapView(painter, editor, surface, kLargeView, background, &layers);
    }
    MoveSelectedUnit(editor, x, z);
    editor.moveMode = false;
}

// The floor of a repaint: filling every pixel of the same image once.
void BM_FillReference(benchmark::State& state) {
    const auto ratio = static_cast<int>(state.range(0));
    const QColor background(kButtonFaceColour);
    QImage image = ViewImage(ratio);
    for (auto _ : state) {
        image.fill(background);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Mission > Environment on the mission's info entry: the environment dialog
// and its six effect dialogs created and filled, then OK writing every value
// back and closing them, through the real windows.
void BM_EnvironmentDialog(benchmark::State& state) {
    EditorState& editor = OpenEditorState();
    QWidget mainWindow;
    MissionHistory history(editor, &mainWindow);
    for (auto _ : state) {
        auto windows = std::make_unique<EnvironmentWindows>(editor, history, &mainWindow);
        windows->show();
        auto* ok = windows->environmentDialog()->findChild<QPushButton*>("cmdOK");
        if (ok == nullptr) {
            state.SkipWithError("the environment dialog has no OK button");
            break;
        }
        ok->click();
        state.PauseTiming();
        windows.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// Records the longest time between two turns of the event loop: a timer of
// no interval fires on every turn, also on the turns a long command lets run.
class GapMeter {
public:
    GapMeter() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void stop() {
        tick();
        timer_.stop();
    }
    double longestSeconds() const { return static_cast<double>(longest_) * 1e-9; }
    int turns() const { return turns_; }

private:
    void tick() {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
        ++turns_;
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    int turns_ = 0;
};

// File > Open of the large mission in the real main window, started on a
// demo installation so that the mission's map is found, its picture decoded
// and the view painted with every object. The time reported is the longest
// gap between two turns of the event loop, from the click until the view
// has been painted.
void BM_EventLoopGap(benchmark::State& state) {
    const std::string& path = MissionPath();
    ::setenv("WINEPREFIX", (DemoInstallationDir() + "/prefix").c_str(), 1);
    const int settleMs = 250;
    for (auto _ : state) {
        EditorState editor;
        platform::ScriptedDialogs dialogs;
        KMission window(editor, dialogs);
        window.startUp();
        QCoreApplication::processEvents();
        dialogs.queueOpenFile(path);
        QAction* open = window.findChild<QAction*>("mnufileopen");
        GapMeter meter;
        QEventLoop loop;
        QTimer::singleShot(0, [&] {
            meter.start();
            open->trigger();
            QTimer::singleShot(settleMs, [&] {
                meter.stop();
                loop.quit();
            });
        });
        loop.exec();
        if (!editor.mapLoaded || editor.mission.missionEntryCount() == 0) {
            state.SkipWithError("the editor did not open the mission with its map");
            break;
        }
        state.SetIterationTime(meter.longestSeconds());
        state.counters["turns"] = meter.turns();
    }
}

} // namespace

BENCHMARK(BM_Repaint)->Arg(1)->Arg(2)->ArgName("ratio")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillReference)->Arg(1)->Arg(2)->ArgName("ratio")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStepLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullPaintLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnvironmentDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventLoopGap)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace kmission::bench
