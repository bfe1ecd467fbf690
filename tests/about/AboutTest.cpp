#include "about/Maker.h"
#include "about/frmAbout.h"
#include "widgets/Windows.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

int openAboutBoxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<frmAbout*>(w) && w->isVisible()) ++n;
    return n;
}

class AboutBox : public ::testing::Test {
  protected:
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmAbout*>(w)) delete w;
    }
    QLabel* label(frmAbout* box, const char* name) { return box->findChild<QLabel*>(name); }
};

TEST_F(AboutBox, ShowsProductVersionWebSiteAndSupportAddress) {
    frmAbout* box = showAbout();
    EXPECT_EQ(box->windowTitle(), "About Cuepilot");
    EXPECT_EQ(box->objectName(), "frmAbout");
    EXPECT_EQ(label(box, "Label1")->text(), "Cuepilot Version 3.1");
    EXPECT_TRUE(label(box, "Label2")->text().endsWith(" https://www.cuepilot.example"));
    EXPECT_TRUE(label(box, "Label3")->text().endsWith(" support@cuepilot.example"));
    for (const char* name : {"Label1", "Label2", "Label3"})
        EXPECT_TRUE(label(box, name)->alignment() & Qt::AlignHCenter) << name;
    EXPECT_EQ(box->findChild<QPushButton*>("Command1")->text(), "&Ok");
}

TEST_F(AboutBox, HelpMessageCarriesTheSameWebSite) {
    EXPECT_EQ(maker::helpMessage(),
              "Please visit our web site for any help you may need. https://www.cuepilot.example");
    EXPECT_TRUE(label(showAbout(), "Label2")->text().endsWith(maker::kWebSite));
}

TEST_F(AboutBox, OkClosesTheBox) {
    QPointer<frmAbout> box = showAbout();
    ASSERT_TRUE(box->isVisible());
    box->findChild<QPushButton*>("Command1")->click();
    EXPECT_TRUE(box.isNull() || !box->isVisible());
    EXPECT_EQ(windows::find<frmAbout>("frmAbout"), nullptr);
    EXPECT_EQ(openAboutBoxes(), 0);
}

TEST_F(AboutBox, ChoosingAboutTwiceLeavesOneBox) {
    frmAbout* first = showAbout();
    frmAbout* second = showAbout();
    EXPECT_EQ(first, second);
    EXPECT_EQ(openAboutBoxes(), 1);
}

TEST_F(AboutBox, AboutAfterOkOpensAFreshBox) {
    QPointer<frmAbout> first = showAbout();
    first->findChild<QPushButton*>("Command1")->click();
    frmAbout* again = showAbout();
    EXPECT_NE(again, first.data());
    EXPECT_TRUE(again->isVisible());
    EXPECT_EQ(openAboutBoxes(), 1);
}

} // namespace
