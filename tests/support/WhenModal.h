#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>

// Drives a modal window from inside its exec(): the action runs on the next
// visible modal widget of type T. If none of that type turns up, whatever is
// modal is closed so the test cannot hang, and WhenModalMisses() counts it.
inline int &WhenModalMisses()
{
    static int misses = 0;
    return misses;
}

template <typename T> void WhenModal(std::function<void(T *)> action, int attemptsLeft = 200)
{
    QTimer::singleShot(attemptsLeft == 200 ? 0 : 5, [action, attemptsLeft] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *w = qobject_cast<T *>(modal); w != nullptr && w->isVisible()) {
            action(w);
            return;
        }
        if (attemptsLeft > 0) {
            WhenModal<T>(action, attemptsLeft - 1);
            return;
        }
        ++WhenModalMisses();
        if (auto *d = qobject_cast<QDialog *>(modal))
            d->done(QDialog::Rejected);
    });
}

// Answers the next message box with the button of that caption ("&Ja", "&Nein").
// The box is handed to check before the click, so its texts can be recorded.
inline void AnswerMessageBox(const QString &caption, std::function<void(QMessageBox *)> check = {})
{
    WhenModal<QMessageBox>([caption, check](QMessageBox *box) {
        if (check)
            check(box);
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == caption) {
                b->click();
                return;
            }
        }
        ++WhenModalMisses();
        box->done(0);
    });
}
