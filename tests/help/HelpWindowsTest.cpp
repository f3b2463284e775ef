#include "help/HelpWindows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTextBlock>

#include "platform/ScriptedDialogs.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

namespace zephyra::help {
namespace {

void mouse(QWidget* w, QEvent::Type type) {
    QMouseEvent e(type, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(QuickLinkWindow, LoadsGoesAndSavesOnClose) {
    test::TempDir dir;
    test::FakePlatform platform;
    platform::ScriptedDialogs dialogs;
    dir.write("quick.txt", "https://one.example/\r\n \r\n");
    QuickLinkWindow window(dir.path(), platform, dialogs);
    EXPECT_EQ(window.text1()->text(), "https://one.example/");
    window.go1()->click();
    window.go2()->click();
    EXPECT_EQ(platform.opened, std::vector<std::string>{"https://one.example/"});
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Invalid URL in box!"});
    window.text1()->clear();
    window.exitButton()->click();
    EXPECT_EQ(window.text2()->text(), "Empty");
    EXPECT_EQ(dir.read("quick.txt"), "Empty\r\nEmpty\r\n");
}

TEST(HelpWindow, ShowsTheGuideWithPicturesAndOpensLinksOutside) {
    test::TempDir dir;
    test::FakePlatform platform;
    platform::ScriptedDialogs dialogs;
    dir.write("vuduvo.md",
              "# Guide\n\nSee [NOAA](https://aviationweather.gov/).\n\n"
              "![Main window](vuduvo-images/main.png)\n");
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    dir.mkdir("vuduvo-images");
    picture.save(QString::fromStdString(dir.file("vuduvo-images/main.png")));

    HelpWindow window(dir.path(), platform, dialogs);
    QTextDocument* doc = window.document()->document();
    EXPECT_EQ(doc->firstBlock().text(), "Guide");
    const QVariant image =
        doc->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("vuduvo-images/main.png")));
    EXPECT_FALSE(image.isNull()) << "the picture beside the guide loads";
    emit window.document()->anchorClicked(QUrl(QStringLiteral("https://aviationweather.gov/")));
    EXPECT_EQ(platform.opened, std::vector<std::string>{"https://aviationweather.gov/"});
}

// The labels page on release, not on press.
TEST(TutorWindow, LabelButtonsPageOnReleaseAndStayOnTop) {
    TutorWindow window;
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    window.show();
    window.courseButton('C')->click();
    EXPECT_FALSE(window.previousLabel()->isVisible());
    mouse(window.nextLabel(), QEvent::MouseButtonPress);
    EXPECT_EQ(window.title()->text(), "Creating Flight Plans");
    mouse(window.nextLabel(), QEvent::MouseButtonRelease);
    EXPECT_EQ(window.title()->text(), "Manual Flight Plans");
    mouse(window.previousLabel(), QEvent::MouseButtonPress);
    mouse(window.previousLabel(), QEvent::MouseButtonRelease);
    EXPECT_EQ(window.title()->text(), "Creating Flight Plans");
}

}  // namespace
}  // namespace zephyra::help
