#include "dialogs/HelpWindow.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Kielwanz – Hilfe"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    resize(600, 560);

    auto *layout = new QVBoxLayout(this);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->setHtml(helpHtml());
    layout->addWidget(browser_);
    auto *close = new QPushButton(QStringLiteral("Schließen"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(close, 0, Qt::AlignRight);
}

QString HelpWindow::helpHtml()
{
    return QStringLiteral(R"(
<h2>Kielwanz</h2>
<p>Kielwanz ist das bekannte Spiel „Schiffe versenken“: Zwei Spieler verstecken ihre Flotten auf
einem Feld von 10&nbsp;×&nbsp;10 Kästchen und schießen abwechselnd auf das Feld des anderen. Wer
zuerst alle Schiffe des Gegners gefunden hat, hat gewonnen.</p>

<h3>Die Flotte</h3>
<p>Jeder Spieler stellt zehn gerade Schiffe auf (waagerecht oder senkrecht):</p>
<ul>
<li>ein Schiff aus 4 Kästchen (4er),</li>
<li>zwei Schiffe aus 3 Kästchen (3er),</li>
<li>drei Schiffe aus 2 Kästchen (2er),</li>
<li>vier Schiffe aus 1 Kästchen (1er).</li>
</ul>
<p>Schiffe dürfen sich weder waagerecht noch senkrecht berühren; an den Ecken dürfen sie
aneinanderstoßen.</p>

<h3>Ein neues Spiel beginnen</h3>
<p>Wählen Sie <b>Spiel / Neu</b> (Strg+N). Im Assistenten „Neues Spiel“ wählen Sie die Spielart,
geben die Namen ein und klicken auf „Weiter“.</p>
<ul>
<li><b>Zwei Spieler an einem PC</b>: Beide Spieler sitzen an diesem Computer und sind abwechselnd
an der Reihe. Bei jedem Spielerwechsel erscheint „Augen zu,“ mit einem Countdown: Der Spieler, dessen
Zug endet, muss dann den Blick vom Bildschirm abwenden. Die <i>Wechselzeit</i> bestimmt, wie viele
Sekunden der Countdown dauert.</li>
<li><b>Zwei Spieler über TCP/IP</b>: Zwei Computer spielen über das Netzwerk oder das Internet
gegeneinander. Ein Spieler nimmt als <i>Host (Gastgeber)</i> teil und wartet, der andere als
<i>Client (Gast)</i> und gibt die Adresse des Hosts ein (IP-Adresse oder Netzwerkname). Es wird
Port&nbsp;5998 verwendet; er muss bei einer Firewall geöffnet sein. Sobald sich der Gast angemeldet
hat, startet der Host das Spiel mit „Weiter“.</li>
<li><b>Ein Spieler gegen den Computer</b>: Sie spielen allein gegen den Computer. Die
<i>Bedenkzeit</i> gibt an, wie viele Sekunden der Computer für jeden Schuss überlegt. Die
<i>Spielstärke</i> bestimmt, wie geschickt er schießt:
<ul>
<li><b>Leicht</b>: Der Computer schießt auf gut Glück und probiert nach einem Treffer die
Nachbarkästchen in beliebiger Reihenfolge aus.</li>
<li><b>Normal</b>: Der Computer verfolgt ein getroffenes Schiff in seiner Richtung und lässt Stellen
aus, an die kein übriges Schiff mehr passt.</li>
<li><b>Schwer</b>: Der Computer zählt vor jedem Schuss alle Lagen, die die übrigen Schiffe noch
haben können, und schießt dorthin, wo am ehesten ein Schiff liegt.</li>
</ul></li>
</ul>

<h3>Schiffe aufstellen</h3>
<p>Die Schiffe werden auf dem linken Feld („Spielfeld“) aufgestellt. Die Zeile oben im Fenster
zeigt, welche Schiffe noch benötigt werden oder zu viel sind.</p>
<ul>
<li><b>Linke Maustaste</b> auf ein Kästchen: setzt ein Schiffsteil. Nebeneinanderliegende Teile in
einer Reihe bilden ein Schiff. Ist ein Kästchen nicht erlaubt, erklärt ein Hinweis den Grund.</li>
<li><b>Rechte Maustaste</b>: entfernt ein Schiffsteil.</li>
<li>Mit <b>gedrückter Maustaste ziehen</b> setzt (links) oder entfernt (rechts) mehrere Teile
hintereinander.</li>
<li><b>Spiel / Schiffe zufällig platzieren</b> stellt die ganze Flotte zufällig auf,
<b>Spiel / Alle Schiffe entfernen</b> räumt das Feld.</li>
</ul>
<p>Ist die Flotte vollständig, drücken Sie die <b>Eingabetaste</b>. Bei zwei Spielern an einem PC
stellt danach der andere Spieler seine Schiffe auf.</p>

<h3>Schießen</h3>
<p>Geschossen wird mit der <b>linken Maustaste</b> auf das rechte Feld („Kontrollfeld“). Dort sehen
Sie, was Sie bisher herausgefunden haben: Wasser, getroffene Schiffsteile und ganz versenkte Schiffe
in eigenen Farben. Nach einem Treffer dürfen Sie noch einmal schießen, nach einem Schuss ins Wasser
ist der Gegner an der Reihe. Auf dem linken Feld sehen Sie die Schüsse des Gegners; sein letzter
Schuss ist rot umrahmt.</p>
<p>Bei zwei Spielern an einem PC können Sie den Zug auch mit der Eingabetaste abgeben.</p>
<p>Hat ein Spieler alle Schiffe des anderen gefunden, wird er beglückwünscht; danach schießt der
andere allein weiter, bis auch er alle Schiffe gefunden hat. Dann ist das Spiel beendet; die
Eingabetaste führt zurück zum Titelbild.</p>
<p>Das Feld oben zeigt die gefundenen Schiffe beider Seiten, die Zahl der Versuche und die
Trefferquote.</p>

<h3>Spielen mit der Tastatur</h3>
<p>Das ganze Spiel geht auch ohne Maus. Mit <b>Strg+N</b> beginnt ein neues Spiel. Im Assistenten
wechselt die Tabulatortaste zwischen den Feldern, die Pfeiltasten zwischen den Optionen einer Gruppe,
die Leertaste wählt die markierte Option, und <b>Alt+W</b> klickt auf „Weiter“ (die Eingabetaste
drückt die gerade markierte Schaltfläche). Das Menü öffnen Sie mit <b>Alt+S</b>; dort finden Sie
mit den Pfeiltasten auch „Schiffe zufällig platzieren“.</p>
<p>Auf dem Feld, auf dem Sie gerade handeln (beim Aufstellen das Spielfeld, beim Schießen das
Kontrollfeld), steht ein Tastatur-Cursor; er wird wie der Mausrahmen rot umrahmt und beginnt beim
zuletzt benutzten Kästchen oder bei A1. Sobald Sie die Maus bewegen, folgt der Rahmen wieder der
Maus.</p>
<table cellspacing="4">
<tr><td><b>Pfeiltasten</b></td><td>ein Kästchen weiter</td></tr>
<tr><td><b>Pos1 / Ende</b></td><td>zum Anfang oder Ende der Zeile</td></tr>
<tr><td><b>Bild auf / Bild ab</b></td><td>zum oberen oder unteren Ende der Spalte</td></tr>
<tr><td><b>Leertaste</b></td><td>wie die linke Maustaste: Schiffsteil setzen oder schießen</td></tr>
<tr><td><b>Entf</b></td><td>wie die rechte Maustaste: Schiffsteil entfernen</td></tr>
<tr><td><b>Eingabetaste</b></td><td>wie bisher: Aufstellung abschließen, Zug abgeben, Spielende</td></tr>
</table>
<p>Ein Bildschirmleser (zum Beispiel Orca) liest beide Felder als Tabellen mit den Zeilen A bis J
und den Spalten 1 bis 10. Jedes Kästchen wird mit seiner Lage und dem, was Sie dort wissen,
vorgelesen, etwa „B5, Treffer“:</p>
<ul>
<li><b>Wasser</b>: eigenes Feld, kein Schiff, noch nicht beschossen</li>
<li><b>Schiff</b>: eigenes Schiff, nicht getroffen</li>
<li><b>Schiff getroffen</b>: eigenes Schiff, getroffen, noch nicht versenkt</li>
<li><b>Schiff versenkt</b>: ein ganz versenktes Schiff (eigenes oder gegnerisches)</li>
<li><b>Treffer</b>: Kontrollfeld, ein getroffenes Schiff, das noch nicht versenkt ist</li>
<li><b>Fehlschuss</b>: ein Schuss ins Wasser (auf dem Spielfeld einer des Gegners)</li>
<li><b>unbekannt</b>: Kontrollfeld, noch nicht beschossen</li>
<li><b>verdeckt</b>: beim Spielerwechsel („Augen zu,“) und vor dem Spiel wird nichts verraten</li>
</ul>
<p>Der letzte Schuss des Gegners auf Ihr Spielfeld trägt den Zusatz „letzter Schuss“. Die Zeile
oben im Fenster und die Zahlen im Feld darunter (Versuche, Trefferquote, noch schwimmende Schiffe)
werden ebenfalls vorgelesen.</p>

<h3>Einstellungen</h3>
<ul>
<li><b>Spiel / Farben einrichten</b>: Farben für Wasser, getroffene und versenkte Schiffe.</li>
<li><b>Spiel / Sounds einrichten</b>: Klänge für Schüsse ins Wasser und Treffer.</li>
<li><b>Spiel / Sounds abspielen</b>: schaltet alle Klänge ein oder aus.</li>
</ul>

<h3>Tasten</h3>
<table cellspacing="4">
<tr><td><b>Strg+N</b></td><td>Neues Spiel</td></tr>
<tr><td><b>Eingabetaste</b></td><td>Aufstellung abschließen, Zug abgeben, nach Spielende zum Titelbild</td></tr>
<tr><td><b>Pfeiltasten, Leertaste, Entf</b></td><td>Tastatur-Cursor auf den Feldern (siehe „Spielen mit der Tastatur“)</td></tr>
<tr><td><b>F1</b></td><td>diese Hilfe</td></tr>
<tr><td><b>Strg+U</b></td><td>nach einer neuen Version suchen</td></tr>
</table>
)");
}
