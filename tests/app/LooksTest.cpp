#include "tests/app/BoardHarness.h"
#include "tests/support/Legibility.h"

#include "board/BoardFonts.h"
#include "board/StatusLine.h"
#include "board/ViewChoices.h"
#include "widgets/Lbl3D.h"
#include "widgets/Looks.h"
#include "widgets/TextBox.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMainWindow>
#include <optional>

namespace {

// A 24-inch 16:9 panel is 531 mm wide: 0.2767 mm a pixel at 1920 x 1080.
constexpr double kMmPerPixel = 0.2767;
// The board maximized on that panel, under a title bar.
const QSize kFullHd(1920, 1080 - 30);

// The presenter's choices start from nothing and are not left to the next test.
struct ChoicesCleared {
    ChoicesCleared() { clear(); }
    ~ChoicesCleared() {
        looks::apply(looks::Look::Light);
        clear();
    }
    static void clear() {
        QSettings settings = windows::userSettings();
        settings.remove(QLatin1String(ViewChoices::scaleKey()));
        settings.remove(QStringLiteral("board/look"));
    }
};

void showAt(BoardHarness& h, QSize size) {
    h.board.Form_Load();
    h.board.show();
    h.board.resize(size);
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        h.board.layout()->activate();
    }
    QApplication::setActiveWindow(&h.board);
}

// Checks every text and control shown in the window; returns how many controls it checked.
int expectLegible(QWidget* window) {
    int controls = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        // Controls that cannot be used now are left out, as the guidelines leave them out.
        if (!w->isVisibleTo(window) || !w->isEnabled() || w->objectName().isEmpty() ||
            w->objectName().startsWith("qt_"))
            continue;
        const std::string at = window->objectName().toStdString() + " " + w->objectName().toStdString();
        if (qobject_cast<QLabel*>(w) || legibility::isControl(w)) {
            EXPECT_GE(legibility::readContrast(w), contrast::kReadable) << at;
        }
        if (!legibility::isControl(w)) continue;
        ++controls;
        EXPECT_GE(legibility::edgeContrast(w), contrast::kOutline) << at;
    }
    return controls;
}

double capMm(QWidget* w) {
    return QFontMetricsF(w->font()).capHeight() * kMmPerPixel;
}

int pixelSize(QWidget* w) {
    return QFontInfo(w->font()).pixelSize();
}

TEST(BoardText, ReadsFromTheChairAndFollowsTheTextSizeKeys) {
    const ChoicesCleared cleared;
    std::optional<BoardHarness> h(std::in_place);
    showAt(*h, kFullHd);
    const BoardControls& c = h->c();

    // Capitals 7 mm and 14 mm high are 16 minutes of arc from a chair 1.5 m away; slot times and
    // event lines stand above the 4.4 mm and 4.7 mm they were.
    const struct {
        const char* what;
        QWidget* text;
        double mm;
    } bars[] = {{"slot text", c.slotBox[1], 7.0},
                {"clock", c.Lbl3D1, 14.0},
                {"slot time", c.slotLabel[1], 4.8},
                {"event line", c.eventBox[1], 4.8}};
    // Maximized under a title bar, and under a desktop's own bar as well.
    for (const QSize& window : {kFullHd, kFullHd - QSize(0, 40)}) {
        h->board.resize(window);
        QCoreApplication::processEvents();
        for (const auto& bar : bars)
            EXPECT_GE(capMm(bar.text), bar.mm)
                << bar.what << " in a window " << window.height()
                << " high: " << QFontMetricsF(bar.text->font()).capHeight() << " px";
    }
    h->board.resize(kFullHd);
    QCoreApplication::processEvents();

    // Every text of the board follows the keys, each press by a step, within the limits.
    QWidget* texts[] = {c.slotBox[1], c.Lbl3D1, c.eventBox[1], c.slotLabel[1], c.Text20, c.statusBar};
    const auto sizes = [&] {
        QVector<int> px;
        for (QWidget* w : texts)
            px << pixelSize(w);
        return px;
    };
    const QVector<int> normal = sizes();
    const struct {
        Qt::Key key;
        int presses;
        int change; // against the sizes before: +1 larger, -1 smaller, 0 the normal size
    } keys[] = {{Qt::Key_Minus, 1, -1}, {Qt::Key_Minus, 3, -1}, {Qt::Key_0, 1, 0},      {Qt::Key_Plus, 1, +1},
                {Qt::Key_Minus, 1, -1}, {Qt::Key_0, 1, 0},      {Qt::Key_Equal, 1, +1}, {Qt::Key_0, 1, 0}};
    for (const auto& k : keys) {
        const QVector<int> before = sizes();
        for (int i = 0; i < k.presses; ++i)
            QTest::keyClick(&h->board, k.key, Qt::ControlModifier);
        const QVector<int> after = sizes();
        for (int t = 0; t < after.size(); ++t) {
            const int expected = k.change == 0 ? normal[t] : before[t];
            EXPECT_EQ((after[t] > expected) - (after[t] < expected), k.change)
                << texts[t]->objectName().toStdString() << " after key " << k.key;
        }
    }
    // The largest size chosen grows the text as far as the window holds it, every row whole.
    for (int i = 0; i < 20; ++i)
        QTest::keyClick(&h->board, Qt::Key_Plus, Qt::ControlModifier);
    QCoreApplication::processEvents();
    const int largest = pixelSize(c.slotBox[1]);
    EXPECT_GT(largest, normal[0]);
    EXPECT_LE(largest, normal[0] * BoardFonts::kLargestScale / 100 + 1);
    EXPECT_LE(h->board.layout()->minimumSize().height(), h->board.height());
    for (TextBox* slot : {c.slotBox[1], c.slotBox[12]})
        EXPECT_GE(slot->height(), slot->fontMetrics().height() + 2) << slot->objectName().toStdString();

    // Chosen once, kept for the next start.
    h.reset();
    h.emplace();
    showAt(*h, kFullHd);
    // As large as that window holds it now: what else the board shows at start (a line in the status
    // bar, say) may leave a step less room than before.
    EXPECT_EQ(windows::userSettings().value(QLatin1String(ViewChoices::scaleKey())).toInt(),
              BoardFonts::kLargestScale);
    EXPECT_GT(pixelSize(h->c().slotBox[1]), normal[0]);
    EXPECT_LE(pixelSize(h->c().slotBox[1]), largest);
    EXPECT_LE(h->board.layout()->minimumSize().height(), h->board.height());
    QTest::keyClick(&h->board, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(pixelSize(h->c().slotBox[1]), normal[0]);

    // A settings file edited by hand gives the normal size and the light look.
    {
        QSettings settings = windows::userSettings();
        settings.setValue(QLatin1String(ViewChoices::scaleKey()), QStringLiteral("huge"));
        settings.setValue(QStringLiteral("board/look"), QStringLiteral("purple"));
    }
    h.reset();
    h.emplace();
    showAt(*h, kFullHd);
    EXPECT_EQ(pixelSize(h->c().slotBox[1]), normal[0]);
    EXPECT_TRUE(h->c().lookItem[size_t(looks::Look::Light)]->isChecked());
}

// Every text at 4.5:1 against what it is read on, and every control's edge at 3:1 against what
// surrounds it, with the panels that open over the grid shown and the warnings raised.
TEST(BoardLooks, EveryTextReadsAndEveryControlStandsOutInEachLook) {
    const ChoicesCleared cleared;
    const QColor desktopWindow = QApplication::palette().color(QPalette::Window);
    const struct {
        looks::Look look;
        const char* name;
    } rows[] = {{looks::Look::Light, "light"},
                {looks::Look::Dark, "dark"},
                {looks::Look::HighContrast, "high contrast"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BoardHarness h;
        h.clock.setSync(ClockSync::Unsynchronised);
        showAt(h, kFullHd);
        h.c().lookItem[size_t(row.look)]->trigger();
        EXPECT_EQ(looks::remembered(), row.look);
        h.board.errorSink()(QStringLiteral("disk full"));
        h.c().mnuEditEdit->trigger();

        int controls = 0;
        for (QAction* panel : {static_cast<QAction*>(nullptr), h.c().mnuNetworkSetup, h.c().mnuEditPopup1,
                               h.c().mnuEditPopup2}) {
            if (panel) panel->trigger();
            QCoreApplication::processEvents();
            controls += expectLegible(&h.board);
        }
        EXPECT_GT(controls, 60);
        // The windows the board opens wear the look too.
        h.c().mnuShowPhoneList->trigger();
        h.c().xbutton[14]->click();
        for (const char* name : {"frmPhone", "frmPrepCopy"}) {
            QWidget* window = windows::find<QWidget>(QLatin1String(name));
            ASSERT_NE(window, nullptr) << name;
            QCoreApplication::processEvents();
            EXPECT_GT(expectLegible(window), 5) << name;
            window->close();
        }

        // The warnings: the clock notice, the failure band and the band of the copy kept here.
        EXPECT_GE(legibility::readContrast(h.find<QLabel>("lblClockSync")), contrast::kReadable);
        const QColor window = h.board.palette().color(QPalette::Window);
        QMainWindow other;
        StatusLine copyLine(other.statusBar());
        copyLine.setBands(looks::warnings(row.look).failure, looks::warnings(row.look).copy);
        copyLine.showingCopy(QStringLiteral("Showing the copy kept on this computer."));
        // Said again: the board's rounds take a failure back once every file reads well.
        h.board.errorSink()(QStringLiteral("disk full"));
        for (QStatusBar* bar : {h.c().statusBar, other.statusBar()}) {
            const QColor back = bar->palette().color(QPalette::Window);
            EXPECT_TRUE(bar->autoFillBackground());
            EXPECT_GE(contrast::ratio(bar->palette().color(QPalette::WindowText), back), contrast::kReadable);
            EXPECT_GE(contrast::ratio(back, window), contrast::kOutline) << back.name().toStdString();
        }
        EXPECT_EQ(other.statusBar()->palette().color(QPalette::Window), looks::warnings(row.look).copy.back);

        // A board started next wears the look chosen.
        BoardHarness next;
        EXPECT_TRUE(next.c().lookItem[size_t(row.look)]->isChecked());
        EXPECT_EQ(next.board.palette().color(QPalette::Window), window);
    }
    // The light look is the board's own: the window's colours are the desktop's again.
    looks::apply(looks::Look::Light);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), desktopWindow);
}

} // namespace
