"""Faults of the games on the local network: announcing, browsing, the list and the host's line."""

TESTS = "tst_(discovery|wizard|dialoglayout)$"

B = "opponents/GameBrowser.cpp"
A = "opponents/GameAnnouncement.cpp"
C = "opponents/AvahiConnection.cpp"
L = "app/mainwindow/NetLink.cpp"
W = "dialogs/NewGameWizard.cpp"

FAULTS = [
    ("discovery-no-rename", A,
     "    if (error == AVAHI_ERR_COLLISION) {", "    if (false) {"),
    ("discovery-withdraw-late", L,
     "        localGames_->withdraw();", "        ;"),
    ("discovery-raw-name", L,
     "OutsideText(g.name, 40)", "g.name"),
    ("discovery-connects-on-choice", W,
     "        if (!chosen.isEmpty())\n            chooseFoundGame(chosen.first());",
     "        if (!chosen.isEmpty()) {\n            chooseFoundGame(chosen.first());\n            goForward();\n        }"),
    ("discovery-note-selectable", W,
     "->setFlags(Qt::NoItemFlags);", "->setData(Qt::UserRole, note);"),
]
