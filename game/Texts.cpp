#include "game/Texts.h"

namespace Texts {

const char *const InfoTexts[19] = {
    "Beginnen Sie ein neues Spiel über den Menüpunkt Spiel/Neu (Strg+N).",
    "%s, klicken Sie auf die Felder, an denen Ihre Schiffe positioniert sein sollen.",
    "Alle benötigten Schiffe sind vorhanden. Drücken Sie die Eingabetaste zum Fortfahren.",
    "Augen zu,",
    "%s ist an der Reihe.",
    "%s hat alle Schiffe von %s gefunden.",
    "Herzlichen Glückwunsch,",
    "Alle Schiffe wurden gefunden!",
    "Das Spiel ist beendet.",
    "Warten Sie, bis %s die Schiffe aufgestellt hat.",
    "Sie sind an der Reihe.",
    "%s hat alle Ihre Schiffe gefunden.",
    "Sie haben alle Schiffe von %s gefunden.",
    "hat alle Schiffe gefunden.",
    "bisher %d ",
    "Versuche",
    "Versuch",
    "Trefferquote: %d%%",
    "Drücken Sie die Eingabetaste, um das Spiel zu beenden.",
};

const char *const WizardTexts[7] = {
    "Klicken Sie zum Verbinden auf \"Weiter\". Achten Sie darauf, dass Port 5998 geöffnet ist.",
    "Die Anmeldung bei %s war erfolgreich. %s wird das Spiel starten.",
    "Bitte warten Sie, bis sich der Client angemeldet hat.",
    "%s hat sich angemeldet. Klicken Sie auf \"Weiter\", um das Spiel zu starten.",
    "Die Verbindung zu %s wurde getrennt.",
    "Die Verbindung wird aufgebaut.",
    "Die Verbindung konnte nicht hergestellt werden.",
};

const char *const CaptionPlayField = "Spielfeld";
const char *const CaptionControlField = "Kontrollfeld";
const char *const NetStartWord = "%GO%";
const char *const BalloonTitle = "Ungültige Schiffposition";
const char *const ComputerName = "Computer";
const char *const ComputerLevelNames[3] = {"Leicht", "Normal", "Schwer"};

QString BalloonText()
{
    return QStringLiteral("Hier kann kein Schiff platziert werden.\r\n\r\n"
                          "Beachten Sie, dass sich die Schiffe weder horizontal noch vertikal "
                          "berühren dürfen.");
}

} // namespace Texts
