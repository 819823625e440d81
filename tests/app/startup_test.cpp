#include <gtest/gtest.h>

#include <QMenuBar>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "app/background_picture.h"
#include "app/program.h"
#include "host/application.h"
#include "host/host_error.h"
#include "message_recorder.h"

using namespace tallomer;

namespace {
// A host that refuses the operation named, as a broken installation would.
Program::HostFactory hostFailingAt(std::string failing, host::Application** made) {
    return [failing, made] {
        auto xl = std::make_unique<host::Application>();
        xl->beforeOperation = [failing](std::string_view operation) {
            if (operation.find(failing) != std::string_view::npos) throw host::HostError("refused");
        };
        *made = xl.get();
        return xl;
    };
}
}  // namespace

TEST(StartUp, MeasuresTheScreenAndCentresTheWindows) {
    MessageRecorder messages;
    Program program;
    ASSERT_TRUE(program.Form1_Form_Load());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(program.shared().lScreenWidth, screen.width() * 15);
    EXPECT_EQ(program.shared().lScreenHeight, screen.height() * 15);
    // Centred with the real outer size: the menu bar adds to the height.
    const int outerHeight = 7275 + program.form1().menuBar()->sizeHint().height() * 15;
    const double left = (screen.width() * 15 - 8205) / 2.0 / 15, top = (screen.height() * 15 - outerHeight) / 2.0 / 15;
    EXPECT_NEAR(program.form1().pos().x(), std::max(left, 0.0), 0.51);
    EXPECT_NEAR(program.form1().pos().y(), std::max(top, 0.0), 0.51);
    EXPECT_NEAR(program.form2().pos().x(), std::max((screen.width() * 15 - 4800) / 30.0, 0.0), 0.51);
}

TEST(StartUp, WaitWindowCaptionAndLabel) {
    MessageRecorder messages;
    Program program;
    Form2& wait = program.form2();
    EXPECT_EQ(wait.windowTitle(), "Please wait ..");
    EXPECT_EQ(wait.size(), QSize(312, 117));
    EXPECT_EQ(wait.Label1()->text(), "Please wait as the system initializes ...");
    EXPECT_EQ(wait.Label1()->pos(), QPoint(64, 48));
    EXPECT_GE(wait.Label1()->width(), wait.Label1()->sizeHint().width());
    EXPECT_LE(wait.Label1()->geometry().right(), wait.width());
}

TEST(StartUp, SecondaryWindowHookRunsWithTheScreenMeasured) {
    MessageRecorder messages;
    Program program;
    std::int32_t seenWidth = -1;
    bool hostYet = true;
    program.placeSecondaryWindows = [&](Program& p) {
        seenWidth = p.shared().lScreenWidth;
        hostYet = p.xlApp() != nullptr;
    };
    ASSERT_TRUE(program.Form1_Form_Load());
    EXPECT_GT(seenWidth, 0);
    EXPECT_FALSE(hostYet);  // placed before the host starts
}

TEST(StartUp, SheetThatCannotBeMadeIsAnInitializationError) {
    MessageRecorder messages;
    host::Application* xl = nullptr;
    Program program(hostFailingAt("Workbooks.Add", &xl));
    EXPECT_FALSE(program.Form1_Form_Load());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Initialization Error"});
    ASSERT_NE(xl, nullptr);
    EXPECT_TRUE(xl->hasQuit());
    EXPECT_TRUE(program.ended());
    EXPECT_NE(program.exitStatus(), 0);
    EXPECT_FALSE(program.form1().isVisible());
    EXPECT_FALSE(program.form2().isVisible());
}

TEST(StartUp, FailureLateInTheSheetIsAnInitializationErrorToo) {
    MessageRecorder messages;
    host::Application* xl = nullptr;
    Program program(hostFailingAt("Align", &xl));
    EXPECT_FALSE(program.Form1_Form_Load());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Initialization Error"});
    EXPECT_TRUE(xl->hasQuit());
}

TEST(StartUp, HostThatCannotStartEndsWithoutInitializationError) {
    MessageRecorder messages;
    Program program([]() -> std::unique_ptr<host::Application> { throw std::runtime_error("no host"); });
    EXPECT_FALSE(program.Form1_Form_Load());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0], "Initialization Error");
    EXPECT_TRUE(program.ended());
    EXPECT_FALSE(program.form1().isVisible());
}

TEST(BackgroundPicture, GradientRulesAndTitles) {
    const QImage picture = drawBackgroundPicture();
    EXPECT_EQ(picture.size(), QSize(539, 459));
    const QColor top = picture.pixelColor(530, 1);
    EXPECT_NEAR(top.blue(), 240, 6);
    EXPECT_LT(top.red(), 15);
    const QColor bottom = picture.pixelColor(530, 458);
    EXPECT_LT(bottom.blue(), 8);
    EXPECT_EQ(picture.pixelColor(100, 38), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(400, 295), QColor(Qt::white));
    EXPECT_EQ(picture.pixelColor(255, 200), QColor(Qt::white));
    EXPECT_NE(picture.pixelColor(10, 38), QColor(Qt::white));
    // The sphere is red to orange: much more red than blue at its middle.
    const QColor sphere = picture.pixelColor(38, 19);
    EXPECT_GT(sphere.red(), 150);
    EXPECT_LT(sphere.blue(), 100);
}

// On a high-DPI screen the picture is drawn at the screen's own pixels: twice as many each way,
// the same picture, not a blurred enlargement.
TEST(BackgroundPicture, DrawnSharpAtTwiceThePixels) {
    const QImage normal = drawBackgroundPicture(1.0);
    const QImage sharp = drawBackgroundPicture(2.0);
    EXPECT_EQ(sharp.size(), normal.size() * 2);
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    // The white rule across row 38 is one logical pixel: two device rows, white both, and the
    // gradient right above and below it.
    EXPECT_EQ(sharp.pixelColor(200, 76), QColor(Qt::white));
    EXPECT_EQ(sharp.pixelColor(200, 77), QColor(Qt::white));
    EXPECT_NE(sharp.pixelColor(200, 78), QColor(Qt::white));
    EXPECT_EQ(normal.pixelColor(100, 38), QColor(Qt::white));
    // Same colours where both are flat: the gradient's left edge, halfway down.
    const QColor a = normal.pixelColor(5, 200), b = sharp.pixelColor(10, 400);
    EXPECT_NEAR(a.blue(), b.blue(), 3);
}
