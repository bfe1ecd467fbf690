#include "widgets/Accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVector>

namespace accessible {

namespace {

const char kLive[] = "cuepilotLiveLabel";

// How often live labels are looked at: a change is announced within a second of being shown.
constexpr int kLookEveryMs = 1000;

// A live label: its caption is its name whatever the widget's own name holds (which is only what was
// last announced, so that the label does not announce each caption itself).
class LiveLabelInterface : public QAccessibleWidget {
  public:
    explicit LiveLabelInterface(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const QLabel*>(widget());
        if (t == QAccessible::Name || t == QAccessible::Value) return label->text();
        return QAccessibleWidget::text(t);
    }
};

// A top-level window that is neither a dialog nor a main window.
class WindowInterface : public QAccessibleWidget {
  public:
    explicit WindowInterface(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return widget()->windowTitle();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    auto* w = qobject_cast<QWidget*>(object);
    if (!w) return nullptr;
    if (className == QLatin1String("QLabel") && w->property(kLive).toBool())
        return new LiveLabelInterface(static_cast<QLabel*>(w));
    // Reached only when no more derived class (a dialog, a main window) had an interface of its own.
    if (className == QLatin1String("QWidget") && w->isWindow() && !(w->windowType() == Qt::Popup) &&
        !(w->windowType() == Qt::ToolTip))
        return new WindowInterface(w);
    return nullptr;
}

// Looks at every live label once a second and announces the changes that count.
class Announcer : public QObject {
  public:
    struct Live {
        QPointer<QLabel> label;
        std::function<QString(const QString&)> announced;
    };

    static Announcer& instance() {
        static auto* announcer = new Announcer(QCoreApplication::instance());
        return *announcer;
    }
    void add(QLabel* label, std::function<QString(const QString&)> announced) {
        live_.push_back({label, std::move(announced)});
        // The widget's own name holds what was announced last; never empty, or the label would
        // announce every caption itself.
        label->setAccessibleName(announcedOf(live_.back()));
        if (!timer_.isActive()) timer_.start();
    }

  private:
    explicit Announcer(QObject* parent) : QObject(parent) {
        timer_.setInterval(kLookEveryMs);
        connect(&timer_, &QTimer::timeout, this, [this] { look(); });
    }
    static QString announcedOf(const Live& l) {
        const QString caption = l.label->text();
        const QString part = l.announced ? l.announced(caption) : caption;
        return part.isEmpty() ? QStringLiteral(" ") : part;
    }
    void look() {
        live_.removeIf([](const Live& l) { return l.label.isNull(); });
        for (const Live& l : live_) {
            const QString part = announcedOf(l);
            if (part == l.label->accessibleName()) continue;
            // Kept for the next look; setting it is what announces the change.
            l.label->setAccessibleName(part);
        }
        if (live_.isEmpty()) timer_.stop();
    }

    QVector<Live> live_;
    QTimer timer_;
};

} // namespace

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(&factory);
        return true;
    }();
    (void)installed;
}

void describe(QWidget* w, const QString& role) {
    w->setAccessibleDescription(role);
}

void makeLive(QLabel* label, const QString& role, std::function<QString(const QString& caption)> announced) {
    install();
    // Before anything asks for the label's interface, which is made once.
    label->setProperty(kLive, true);
    describe(label, role);
    Announcer::instance().add(label, std::move(announced));
}

} // namespace accessible
