// Window figures against their floors, in one process: opening and closing
// the weapon picker over large catalogs against the same picker over empty
// ones, recalculating plus refreshing the main window for a long unit
// against summing the same rows' numbers in a plain loop, and one keystroke
// in the weapon picker's filter line over 100,000 entries; the record sheet
// of a long unit and of each stock model to PDF against one line of text on
// a PDF page.
#include "bench_fixtures.h"

#include "designer_session.h"
#include "designer.h"
#include "record_sheet.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

using krbench::Fixtures;

// One session per catalog size, made once: creating a session over the
// largest catalogs is the start-up figure, measured elsewhere.
std::map<std::size_t, std::unique_ptr<kr::DesignerSession>>& Sessions() {
    static std::map<std::size_t, std::unique_ptr<kr::DesignerSession>> sessions;
    return sessions;
}

kr::DesignerSession& SessionOver(std::size_t entries) {
    auto& session = Sessions()[entries];
    if (!session) {
        session = std::make_unique<kr::DesignerSession>(krbench::CatalogDirectory(Fixtures(), entries));
        session->Main().show();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200) QApplication::processEvents();
    }
    return *session;
}

// Ends the picker's modal loop once its list has painted its rows.
class CloseAfterPaint : public QObject {
public:
    explicit CloseAfterPaint(kr::TfrmPicker& picker) : picker_(picker) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, &picker_, [this] { picker_.reject(); });
        }
        return QObject::eventFilter(watched, event);
    }
    bool painted_ = false;

private:
    kr::TfrmPicker& picker_;
};

void BM_PickerOpenClose(benchmark::State& state) {
    kr::DesignerSession& session = SessionOver(static_cast<std::size_t>(state.range(0)));
    kr::TfrmPicker& picker = *session.frmWeapon;
    for (auto _ : state) {
        CloseAfterPaint closer(picker);
        picker.List()->viewport()->installEventFilter(&closer);
        bool timedOut = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &picker, [&] {
            timedOut = true;
            picker.reject();
        });
        guard.start(5000);
        picker.ShowModal();
        picker.List()->viewport()->removeEventFilter(&closer);
        if (timedOut) state.SkipWithError("the picker never painted");
    }
    state.counters["rows"] = static_cast<double>(session.designer.WeaponPicker.Count());
}

// 0 is the floor: a picker over empty catalogs.
BENCHMARK(BM_PickerOpenClose)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The session over the largest catalogs with the benchmark's unit loaded.
kr::DesignerSession& SessionWithUnit(const benchmark::State& state) {
    kr::DesignerSession& session = SessionOver(krbench::LargestCatalog);
    kr::LoadUnitFile(krbench::UnitFile(Fixtures(), static_cast<std::size_t>(state.range(0))), session.designer);
    kr::Recalculate(session.designer.Sheet);
    session.Main().RefreshSheet();
    QApplication::processEvents();
    return session;
}

void BM_RecalculateRefresh(benchmark::State& state) {
    kr::DesignerSession& session = SessionWithUnit(state);
    for (auto _ : state) {
        kr::Recalculate(session.designer.Sheet);
        session.Main().RefreshSheet();
        // The repaint the refresh asked for.
        QApplication::processEvents();
    }
}

// The floor: the same rows' numbers summed in a plain loop.
void BM_FloorSumRows(benchmark::State& state) {
    const kr::UnitSheet& sheet = SessionWithUnit(state).designer.Sheet;
    for (auto _ : state) {
        std::int64_t price = 0, cp = 0, bp = 0, figures = 0;
        for (std::size_t i = 0; i < sheet.Options.Count(); ++i) {
            const kr::TKrOption& e = *sheet.Options.Data(i);
            price += e.Price, cp += e.CP, bp += e.BP;
            figures += e.Fire + e.Melee + e.Evasion + e.Armor + e.Power + e.Sensor + e.MoveBonus;
        }
        for (std::size_t i = 0; i < sheet.Moves.Count(); ++i) {
            const kr::TKrMove& e = *sheet.Moves.Data(i);
            price += e.Price, cp += e.CP, bp += e.BP, figures += e.Movement - e.HeavyPenalty;
        }
        for (std::size_t i = 0; i < sheet.Weapons.Count(); ++i) {
            const kr::TKrWeapon& e = *sheet.Weapons.Data(i);
            price += e.Price, cp += e.CP, bp += e.BP, figures += e.Damage;
        }
        benchmark::DoNotOptimize(price + cp + bp + figures);
    }
}

BENCHMARK(BM_RecalculateRefresh)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloorSumRows)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// One keystroke in the filter line of the 100,000-entry weapon picker: the
// filter line goes from `before` to `after`, and the time runs until the list
// model shows the matching rows (the repaint that follows is not counted).
// The picker's captions are folded before the first round, as the first
// keystroke of a session does.
void BM_PickerFilterKeystroke(benchmark::State& state, const char* before, const char* after) {
    kr::DesignerSession& session = SessionOver(krbench::LargestCatalog);
    kr::TfrmPicker& picker = *session.frmWeapon;
    picker.show();
    QLineEdit* line = picker.FilterLine();
    line->setText(QString::fromUtf8(after));
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        line->setText(QString::fromUtf8(before));
        state.ResumeTiming();
        line->setText(QString::fromUtf8(after));
    }
    state.counters["shown"] = picker.Model()->rowCount();
    line->clear();
    picker.hide();
    QApplication::processEvents();
}

// Hiragana that fold onto half-width kana with a voicing mark, typed one by
// one (the second and third keystrokes look only at the rows still shown),
// and a letter every caption holds (the most rows a keystroke can show).
BENCHMARK_CAPTURE(BM_PickerFilterKeystroke, kana1, "", "ぱ")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PickerFilterKeystroke, kana2, "ぱ", "ぱい")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PickerFilterKeystroke, kana3, "ぱい", "ぱいる")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PickerFilterKeystroke, everyRow, "", "M")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- record sheets ----------------------------------------------------------------

std::size_t SheetPdfBytes(const kr::UnitSheet& sheet) {
    return kr::RecordSheetPdf(kr::RecordSheetContentOf(sheet, {"unit.kr", "2024/05/01"})).size();
}

// A unit of 1,000 rows from the largest catalogs: its content, layout and PDF.
void BM_RecordSheetPdf(benchmark::State& state) {
    const kr::UnitSheet& sheet = SessionWithUnit(state).designer.Sheet;
    std::size_t bytes = 0;
    for (auto _ : state) bytes = SheetPdfBytes(sheet);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RecordSheetPdf)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each stock model, over the catalogs we ship (beside the program).
void BM_RecordSheetPdfTemplate(benchmark::State& state) {
    static kr::Catalogs shipped;
    static const bool loaded = kr::LoadCatalogs(shipped, kr::ApplicationDirectory()).empty();
    if (!loaded) state.SkipWithError("the shipped catalogs are not beside the program");
    kr::Designer designer(shipped);
    kr::FillPickers(designer);
    kr::ApplyTemplate(designer, static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) bytes = SheetPdfBytes(designer.Sheet);
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RecordSheetPdfTemplate)->DenseRange(1, kr::TemplateCount)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: one line of Japanese text on a PDF page, in the sheet's font.
void BM_FloorPdfLine(benchmark::State& state) {
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPixelSize(133);
        painter.setFont(font);
        painter.drawText(QPointF(500, 500), QStringLiteral("KRH-X31-LS クォーツ"));
        painter.end();
        benchmark::DoNotOptimize(bytes.size());
    }
}
BENCHMARK(BM_FloorPdfLine)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The windows go before the application object.
    Sessions().clear();
    return 0;
}
