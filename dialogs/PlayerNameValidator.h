#pragma once

#include <QValidator>

// The wizard's name fields: only characters that Windows-1252 can carry and
// that print, because a network game sends the name in that code page. For
// the network name also no start word "%GO%" after the first character, which
// the guest could not tell from the start of the game.
class PlayerNameValidator : public QValidator {
    Q_OBJECT
public:
    explicit PlayerNameValidator(bool networkName, QObject *parent = nullptr)
        : QValidator(parent), networkName_(networkName)
    {
    }

    State validate(QString &input, int &pos) const override;
    // Drops what the field cannot take (pasted text, a stored name).
    void fixup(QString &input) const override;

private:
    bool networkName_;
};
