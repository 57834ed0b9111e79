#include "plotvane/PlotWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QChart>
#include <QFile>
#include <QImage>
#include <QLegendMarker>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>
#include <chrono>
#include <cstdio>
#include <future>
#include <string>

#include "plotvane/InstanceChannel.h"
#include "plotvane/PlotChartView.h"
#include "support/TempFolder.h"

namespace vg28::plotvane {
namespace {

using test::TempFolder;

constexpr double kStart = 1295308800.0;  // 18.01.2011 00:00:00 as the script counts it

// A script in the writer's layout: sensors 1 and 2 on axis 1 ("°C"), sensor 3 on axis 2 ("%"),
// points every 10 minutes; sensor k's value at point i is 10*k + (i % 10) / 10.
std::string MakeScript(int points, const char* description = "Теплица") {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Root>\n";
    text += " <report szErr=\"\" dwID=\"1\" dwType=\"1\" szName=\"VG-28\" szDescription=\"" +
            std::string(description) + "\" tStart=\"" + std::to_string(std::int64_t(kStart)) +
            "\" tEnd=\"" + std::to_string(std::int64_t(kStart) + points * 600) + "\">\n";
    text += "  <axes>\n   <x-axis dwZoom=\"0\" />\n";
    text +=
        "   <y-axis dwType=\"0\" dwID=\"1\" szName=\"°C\" dMin=\"10.0\" dMax=\"25.0\" "
        "dStep=\"3.0\" dwZoom=\"0\" />\n";
    text +=
        "   <y-axis dwType=\"0\" dwID=\"2\" szName=\"%\" dMin=\"30.0\" dMax=\"35.0\" "
        "dStep=\"1.0\" dwZoom=\"0\" />\n  </axes>\n";
    text +=
        "  <sen-groups>\n   <group id=\"1\" name=\"°C\" dwHdn=\"0\">\n    <sen dwID=\"1\" />\n"
        "    <sen dwID=\"2\" />\n   </group>\n   <group id=\"2\" name=\"%\" dwHdn=\"0\">\n"
        "    <sen dwID=\"3\" />\n   </group>\n  </sen-groups>\n";
    text += "  <sensors AllowEdit=\"1\" x=\"0\" y=\"0\" cx=\"707\" cy=\"236\">\n";
    const char* names[3] = {"Воздух-AT 1, °C", "Лист-LT 1, °C", "Влажность-RH 1, %"};
    for (int k = 1; k <= 3; ++k) {
        text += "   <sensor dwID=\"" + std::to_string(k) + "\" szName=\"" + names[k - 1] +
                "\" AxisID=\"" + (k < 3 ? "1" : "2") + "\" dwClr=\"" +
                std::to_string(255 << (8 * (k - 1))) + "\" dwThk=\"2\" dwHdn=\"0\" " +
                "dwPrecision=\"2\">\n";
        char line[96];
        for (int i = 0; i < points; ++i) {
            std::snprintf(line, sizeof line, "    <d t=\"%lld\" v=\"%d,%d0\" />\n",
                          static_cast<long long>(kStart) + i * 600LL, 10 * k, i % 10);
            text += line;
        }
        text += "   </sensor>\n";
    }
    text += "  </sensors>\n  <vert-lines />\n  <horz-lines />\n </report>\n</Root>\n";
    return text;
}

// The value of sensor k (1-based) at point i in MakeScript.
double ValueAt(int k, int i) {
    return 10.0 * k + (i % 10) / 10.0;
}

class PlotWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(1000, 600);
        window.SetWatchFile(false);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QString Write(const std::string& name, const std::string& text) {
        folder.WriteFile(name, text);
        return QString::fromStdString(folder.File(name));
    }

    // Opens a script and waits until it is shown; true for a chart.
    bool Open(const QString& path) {
        QSignalSpy shown(&window, &PlotWindow::ScriptShown);
        window.OpenScript(path);
        if (!shown.wait(30000)) return false;
        window.RedrawNow();
        return shown.front().front().toBool();
    }

    TempFolder folder;
    PlotWindow window;
};

// Guards against sensors that cannot be hidden or brought back: a legend click hides a line
// and keeps its (faded) entry to click again; a group hides all its lines and its axis.
TEST_F(PlotWindowTest, LegendAndGroupsHideAndShow) {
    ASSERT_TRUE(Open(Write("hide-ag.xml", MakeScript(100))));
    ASSERT_EQ(window.Script().sensors.size(), 3u);
    QLegendMarker* marker = window.LegendMarker(1);
    ASSERT_NE(marker, nullptr);

    emit marker->clicked();
    EXPECT_FALSE(window.IsSensorVisible(1));
    EXPECT_TRUE(window.IsSensorVisible(0));
    EXPECT_TRUE(marker->isVisible());
    EXPECT_LT(marker->labelBrush().color().alpha(), 255);
    emit marker->clicked();
    EXPECT_TRUE(window.IsSensorVisible(1));
    EXPECT_EQ(marker->labelBrush().color().alpha(), 255);

    QAction* celsius = window.GroupAction(0);
    ASSERT_NE(celsius, nullptr);
    EXPECT_TRUE(celsius->isChecked());
    celsius->trigger();
    EXPECT_FALSE(window.IsSensorVisible(0));
    EXPECT_FALSE(window.IsSensorVisible(1));
    EXPECT_TRUE(window.IsSensorVisible(2));
    EXPECT_FALSE(celsius->isChecked());
    const auto axes = window.Chart()->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 2);
    EXPECT_FALSE(axes[0]->isVisible());
    EXPECT_TRUE(axes[1]->isVisible());
    // One sensor of the group shown again checks the group again.
    emit window.LegendMarker(0)->clicked();
    EXPECT_TRUE(celsius->isChecked());
    EXPECT_TRUE(axes[0]->isVisible());
    celsius->trigger();
    celsius->trigger();
    EXPECT_TRUE(window.IsSensorVisible(0) && window.IsSensorVisible(1));
}

// Guards against a script's hidden flags being ignored: "dwHdn" of a sensor or of its group
// starts it hidden.
TEST_F(PlotWindowTest, HiddenFlagsOfTheScript) {
    std::string text = MakeScript(20);
    text.replace(text.find("name=\"%\" dwHdn=\"0\""), 18, "name=\"%\" dwHdn=\"1\"");
    const std::size_t second = text.find("<sensor dwID=\"2\"");
    text.replace(text.find("dwHdn=\"0\"", second), 9, "dwHdn=\"1\"");
    ASSERT_TRUE(Open(Write("flags-ag.xml", text)));
    EXPECT_TRUE(window.IsSensorVisible(0));
    EXPECT_FALSE(window.IsSensorVisible(1));
    EXPECT_FALSE(window.IsSensorVisible(2));
    EXPECT_FALSE(window.GroupAction(1)->isChecked());
}

// Guards against zooming that cannot be undone or that draws every point: wheel, keys and a
// dragged rectangle narrow the view, far fewer points than the script holds are drawn, the
// points drawn follow the zoom, and reset brings back the whole script.
TEST_F(PlotWindowTest, ZoomPanAndReset) {
    constexpr int kPoints = 200000;
    ASSERT_TRUE(Open(Write("zoom-ag.xml", MakeScript(kPoints))));
    // The whole script, widened to round tick times.
    const QPointF full = window.TimeRange();
    const double last = kStart + (kPoints - 1) * 600.0;
    EXPECT_DOUBLE_EQ(full.x(), kStart);
    EXPECT_GE(full.y(), last);
    EXPECT_LT(full.y() - full.x(), (last - kStart) * 1.5);
    const int columns = static_cast<int>(window.Chart()->plotArea().width());
    EXPECT_LE(window.DrawnPointCount(0), 4 * columns + 2);
    EXPECT_GT(window.DrawnPointCount(0), columns);

    PlotChartView* view = window.ChartView();
    const QPointF centre = window.Chart()->plotArea().center();
    view->ZoomAt(centre, 0.01, false);
    window.RedrawNow();
    const QPointF zoomed = window.TimeRange();
    EXPECT_TRUE(window.IsZoomed());
    EXPECT_NEAR((zoomed.y() - zoomed.x()) / (full.y() - full.x()), 0.01, 1e-3);
    // About 1% of the points lie in the view now; all of them are drawn.
    EXPECT_NEAR(window.DrawnPointCount(0), kPoints / 100, kPoints / 1000);
    EXPECT_EQ(window.ValueRange(0), QPointF(10.0, 25.0));

    view->Pan(100.0, 0.0);
    window.RedrawNow();
    EXPECT_GT(window.TimeRange().x(), zoomed.x());

    QTest::keyClick(view, Qt::Key_Minus, Qt::ShiftModifier);
    EXPECT_GT(window.ValueRange(0).y() - window.ValueRange(0).x(), 15.0);

    window.ResetZoom();
    window.RedrawNow();
    EXPECT_FALSE(window.IsZoomed());
    EXPECT_EQ(window.TimeRange(), full);
    EXPECT_EQ(window.ValueRange(0), QPointF(10.0, 25.0));
    EXPECT_EQ(window.ValueRange(1), QPointF(30.0, 35.0));

    // A rectangle dragged with the left button zooms both ways.
    const QRectF area = window.Chart()->plotArea();
    const QPoint from = view->mapFromScene(area.topLeft() + QPointF(area.width() * 0.25, 10));
    const QPoint to = view->mapFromScene(area.topLeft() + QPointF(area.width() * 0.5, 100));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    window.RedrawNow();
    EXPECT_TRUE(window.IsZoomed());
    EXPECT_LT(window.TimeRange().y() - window.TimeRange().x(), (full.y() - full.x()) * 0.3);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(window.TimeRange(), full);
}

// Guards against a readout that shows the wrong time or values, or hidden sensors: with the
// pointer over a point, the time and each visible sensor's value there in the user's format.
TEST_F(PlotWindowTest, CursorReadout) {
    ASSERT_TRUE(Open(Write("readout-ag.xml", MakeScript(30))));
    const int i = 13;
    const double time = kStart + i * 600.0;
    const QPointF at = window.ScenePosition(0, time + 60.0, ValueAt(1, i));
    const QPoint pixel = window.ChartView()->mapFromScene(at);
    QTest::mouseMove(window.ChartView()->viewport(), pixel);
    QTRY_VERIFY(!window.ReadoutText().isEmpty());
    const QString text = window.ReadoutText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("18.01.2011 02:1"))) << text.toStdString();
    for (int k = 1; k <= 3; ++k) {
        const QString value = QLocale().toString(ValueAt(k, i), 'f', 2);
        EXPECT_TRUE(text.contains(QStringLiteral(": ") + value)) << text.toStdString();
    }
    // The user's decimal separator.
    EXPECT_TRUE(text.contains(QStringLiteral("10,30")));

    window.SetSensorVisible(2, false);
    window.ShowReadoutAt(at);
    EXPECT_FALSE(window.ReadoutText().contains(QStringLiteral("Влажность")));
    EXPECT_TRUE(window.ReadoutText().contains(QStringLiteral("Лист")));
    // Outside the plot area there is no readout.
    window.ShowReadoutAt(QPointF(1, 1));
    EXPECT_TRUE(window.ReadoutText().isEmpty());
}

// Guards against a bad file crashing the viewer or being drawn: it is reported in the window,
// and the same window shows the script once it is sound.
TEST_F(PlotWindowTest, BadFilesGiveAMessage) {
    struct Case {
        const char* name;
        std::string text;
        const char* says;
    };
    std::string cut = MakeScript(50);
    cut.resize(cut.size() / 2);
    for (const Case& c : {Case{"empty", "", "пуст"}, Case{"cut", cut, "повреждён"},
                          Case{"foreign", "<html><body/></html>", "не является"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Open(Write(std::string(c.name) + "-ag.xml", c.text)));
        EXPECT_FALSE(window.IsShowingChart());
        EXPECT_TRUE(window.MessageText().contains(QString::fromUtf8(c.says)))
            << window.MessageText().toStdString();
    }
    EXPECT_FALSE(Open(QString::fromStdString(folder.File("missing-ag.xml"))));
    EXPECT_TRUE(window.MessageText().contains(QStringLiteral("Не удалось открыть")));

    std::string bad = MakeScript(10);
    bad.replace(bad.find("v=\"10,00\""), 9, "v=\"abc\"");
    EXPECT_TRUE(Open(Write("cut-ag.xml", bad)));
    EXPECT_TRUE(window.IsShowingChart());
    EXPECT_TRUE(window.NotesText().contains(QStringLiteral("Пропущено точек: 1")));
    EXPECT_EQ(window.Script().sensors[0].times.size(), 9u);
}

// Guards the refresh: "update" from a second start reaches the viewer showing the script,
// which reloads it keeping hidden sensors and the zoom; with no viewer the second start is
// told so (and opens its own window).
TEST_F(PlotWindowTest, UpdateReloadsTheShownScript) {
    const QString path = Write("update-ag.xml", MakeScript(40));
    EXPECT_FALSE(InstanceChannel::AskToReload(path, 500));
    ASSERT_TRUE(Open(path));
    InstanceChannel channel;
    ASSERT_TRUE(channel.Listen(path));
    QObject::connect(&channel, &InstanceChannel::ReloadRequested, &window, &PlotWindow::Reload);
    // A second viewer for the same script does not take it over.
    InstanceChannel second;
    EXPECT_FALSE(second.Listen(path));

    window.SetSensorVisible(2, false);
    window.ChartView()->ZoomAt(window.Chart()->plotArea().center(), 0.5, false);
    const QPointF zoomed = window.TimeRange();
    Write("update-ag.xml", MakeScript(80));

    QSignalSpy shown(&window, &PlotWindow::ScriptShown);
    bool answered = false;
    // The request is sent from another thread, as another process would, while this one serves.
    auto request = std::async(std::launch::async,
                              [path] { return InstanceChannel::AskToReload(path, 10000); });
    QTRY_VERIFY_WITH_TIMEOUT(request.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                             15000);
    answered = request.get();
    EXPECT_TRUE(answered);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 15000);
    EXPECT_EQ(window.Script().sensors[0].times.size(), 80u);
    EXPECT_FALSE(window.IsSensorVisible(2));
    EXPECT_TRUE(window.IsSensorVisible(0));
    EXPECT_EQ(window.TimeRange(), zoomed);
    // Another script has another name.
    EXPECT_NE(InstanceChannel::ServerNameFor(path),
              InstanceChannel::ServerNameFor(Write("other-ag.xml", MakeScript(2))));
}

// Guards the automatic refresh through the file: a script replaced by renaming (as the
// terminal writes it) is read again by the window showing it.
TEST_F(PlotWindowTest, RewrittenScriptIsReloaded) {
    const QString path = Write("watch-ag.xml", MakeScript(10));
    window.SetWatchFile(true);
    ASSERT_TRUE(Open(path));
    QSignalSpy shown(&window, &PlotWindow::ScriptShown);
    folder.WriteFile("watch-ag.xml.tmp", MakeScript(25));
    ASSERT_EQ(std::rename(folder.File("watch-ag.xml.tmp").c_str(), path.toLocal8Bit().constData()),
              0);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 15000);
    EXPECT_EQ(window.Script().sensors[0].times.size(), 25u);
}

// Guards the export: PNG and SVG files of the chart as shown.
TEST_F(PlotWindowTest, ExportsPngAndSvg) {
    ASSERT_TRUE(Open(Write("export-ag.xml", MakeScript(100))));
    const QString png = QString::fromStdString(folder.File("chart.png"));
    const QString svg = QString::fromStdString(folder.File("chart.svg"));
    ASSERT_TRUE(window.ExportPng(png));
    ASSERT_TRUE(window.ExportSvg(svg));
    const QImage image(png);
    EXPECT_EQ(image.size(), window.ChartView()->size() * window.ChartView()->devicePixelRatio());
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("<svg"));
    EXPECT_TRUE(content.contains("<polyline") || content.contains("<path"));
    EXPECT_FALSE(window.ExportPng(QString::fromStdString(folder.File("no/such/folder.png"))));
}

}  // namespace
}  // namespace vg28::plotvane
