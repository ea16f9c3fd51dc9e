#include "presentation/GameTimerDriver.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <limits>

GameTimerDriver::GameTimerDriver(TimerHub &hub, QObject *parent) : QObject(parent), hub_(hub)
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    connect(&wake_, &QTimer::timeout, this, &GameTimerDriver::onWake);
    hub_.setObserver(this);

    // The timers tick only while this is the active application.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        hub_.setApplicationActive(QGuiApplication::applicationState() == Qt::ApplicationActive);
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            hub_.setApplicationActive(state == Qt::ApplicationActive);
        });
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr) {
        qApp->installEventFilter(this);
        updateHold();
    }
    reaim();
}

GameTimerDriver::~GameTimerDriver()
{
    hub_.setObserver(nullptr);
}

bool GameTimerDriver::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::WindowUnblocked:
        if (auto *w = qobject_cast<QWidget *>(watched); w != nullptr && w->isWindow()) {
            // A modal window or menu is not registered as such yet when its
            // show event comes; one that hides is no longer.
            if (event->type() == QEvent::Show && (w->isModal() || w->windowType() == Qt::Popup))
                hub_.setHeld(true);
            else
                updateHold();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void GameTimerDriver::updateHold()
{
    hub_.setHeld(QApplication::activeModalWidget() != nullptr ||
                 QApplication::activePopupWidget() != nullptr);
}

void GameTimerDriver::reaim()
{
    const std::optional<std::int64_t> due = hub_.nextDue();
    if (!due) {
        wake_.stop();
        return;
    }
    std::int64_t aim = *due;
    if (const GameTimer *t = hub_.polled(); t != nullptr && t->interval() < minimumWakeInterval_)
        aim += minimumWakeInterval_ - std::max(t->interval(), 1);
    const std::int64_t wait = aim - hub_.clock().nowMs();
    const std::int64_t clamped =
        wait < 0 ? 0 : (wait > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : wait);
    wake_.start(static_cast<int>(clamped));
}

void GameTimerDriver::setMinimumWakeInterval(int ms)
{
    minimumWakeInterval_ = ms;
    reaim();
}

void GameTimerDriver::onWake()
{
    updateHold();
    hub_.poll();
    // Firing re-aims through scheduleChanged(); a wake-up that came a little
    // early fired nothing and is aimed again here.
    reaim();
    emit woke();
}
