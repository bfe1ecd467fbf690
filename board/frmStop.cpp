#include "board/frmStop.h"

#include "board/BoardControls.h"
#include "board/Clock.h"
#include "widgets/Timer.h"
#include "widgets/Windows.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString kWindowName = QStringLiteral("frmStop");

QLabel* centredLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}
} // namespace

frmStop::frmStop(BoardControls& board, const Clock& clock, const QDate& night)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      clock_(clock),
      releaseAt_(night.addDays(1).toJulianDay() * wall::kDay), boardTimers_{board.timer[1], board.timer[2],
                                                                            board.timer[3]} {
    windows::adopt(this, kWindowName);
    setWindowTitle(QStringLiteral("Cuepilot Ver. 3.0"));
    setFixedSize(259, 98);

    Label2 = centredLabel(this, QStringLiteral("Label2"), QStringLiteral("Label2"));
    Label1 = centredLabel(this, QStringLiteral("Label1"),
                          QStringLiteral("Cuepilot Has Paused for a few seconds to start a new week. "
                                         "Please wait while it restarts."));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Label1);

    Timer1 = new Timer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &Timer::tick, this, &frmStop::Timer1_Timer);
    Timer1->setEnabled(true);
    Timer1->setInterval(90);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

frmStop* frmStop::open(BoardControls& board, const Clock& clock, QDate night) {
    frmStop* w = windows::find<frmStop>(kWindowName);
    const bool loaded = w == nullptr;
    if (loaded) w = new frmStop(board, clock, night.isValid() ? night : clock.now().date());
    w->show();
    if (loaded) w->Timer1_Timer();
    return w;
}

void frmStop::Timer1_Timer() {
    const QDateTime t = clock_.now();
    const QString now = clockText(t.time());
    if (Label2->text() != now) Label2->setText(now);
    // Held until the first tick at or after midnight, whichever seconds the clock shows on the way:
    // a stall or a step over 12:00:00 AM must not keep the board frozen.
    if (wall::second(t) < releaseAt_) {
        switchBoardTimers(false);
    } else {
        switchBoardTimers(true);
        close();
    }
}

void frmStop::closeEvent(QCloseEvent* event) {
    switchBoardTimers(true);
    Timer1->setEnabled(false);
    event->accept();
}

void frmStop::switchBoardTimers(bool on) {
    for (const QPointer<Timer>& t : boardTimers_)
        if (t) t->setEnabled(on);
}
