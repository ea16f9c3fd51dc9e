#include "dialogs/PlayerNameValidator.h"

#include "opponents/NetMessages.h"

namespace {

bool hasInnerStartWord(const QString &text)
{
    return text.indexOf(QLatin1String(NetMessages::StartWord), 1) > 0;
}

} // namespace

QValidator::State PlayerNameValidator::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    for (QChar c : input)
        if (!NetMessages::isPrintableNameChar(c))
            return Invalid;
    if (networkName_ && hasInnerStartWord(input))
        return Invalid;
    return Acceptable;
}

void PlayerNameValidator::fixup(QString &input) const
{
    QString kept;
    for (QChar c : input)
        if (NetMessages::isPrintableNameChar(c))
            kept.append(c);
    if (networkName_)
        while (hasInnerStartWord(kept))
            kept.remove(kept.indexOf(QLatin1String(NetMessages::StartWord), 1), NetMessages::StartWordLength);
    input = kept;
}
