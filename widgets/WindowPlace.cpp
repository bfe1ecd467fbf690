#include "widgets/WindowPlace.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPointer>
#include <QSettings>
#include <QShortcut>
#include <QWidget>

namespace windows {

QSettings userSettings() {
    return QSettings(QSettings::UserScope, QStringLiteral("Cuepilot"), QStringLiteral("Cuepilot"));
}

namespace {

// Puts the window back before it is first shown and notes where it is whenever it is hidden or
// closed.
class PlaceKeeper : public QObject {
  public:
    explicit PlaceKeeper(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) return false;
        if (event->type() == QEvent::Show && !restored_) {
            restored_ = true;
            const QByteArray place = userSettings().value(placeKey(window_->objectName())).toByteArray();
            // restoreGeometry moves a window whose screen has gone onto one that is there.
            if (!place.isEmpty()) window_->restoreGeometry(place);
        } else if ((event->type() == QEvent::Hide || event->type() == QEvent::Close) && restored_) {
            QSettings settings = userSettings();
            settings.setValue(placeKey(window_->objectName()), window_->saveGeometry());
        }
        return false;
    }

  private:
    QWidget* window_;
    bool restored_ = false;
};

} // namespace

QString placeKey(const QString& windowName) {
    return QStringLiteral("windows/") + windowName;
}

void rememberPlace(QWidget* window) {
    new PlaceKeeper(window);
}

void closeOnEscape(QWidget* window, QAbstractButton* closeButton) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, [window, button = QPointer(closeButton)] {
        if (button && button->isEnabled())
            button->click();
        else if (!button)
            window->close();
    });
}

} // namespace windows
