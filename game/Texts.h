#pragma once

#include <QString>

// The program's fixed texts, indexed as the callers pick them.
namespace Texts {

extern const char *const InfoTexts[19];
extern const char *const WizardTexts[7];

inline QString InfoText(int index)
{
    return QString::fromUtf8(InfoTexts[index]);
}
inline QString WizardText(int index)
{
    return QString::fromUtf8(WizardTexts[index]);
}

extern const char *const CaptionPlayField;    // "Spielfeld"
extern const char *const CaptionControlField; // "Kontrollfeld"
extern const char *const NetStartWord;        // "%GO%"
extern const char *const BalloonTitle;        // "Ungültige Schiffposition"
QString BalloonText();                        // the two paragraphs joined by CR LF CR LF

extern const char *const ComputerName; // "Computer"
// The computer's levels, indexed by ComputerLevelT: "Leicht", "Normal", "Schwer".
extern const char *const ComputerLevelNames[3];
inline QString ComputerLevelName(int level)
{
    return QString::fromUtf8(ComputerLevelNames[level >= 0 && level <= 2 ? level : 1]);
}

} // namespace Texts
