"""Faults of the window's effects, the network session and its messages, and the sounds."""

TESTS = "tst_(mainwindow|netgame|nethostile)"

W = "app/mainwindow/MainWindow.cpp"
E = "app/mainwindow/WindowEffects.cpp"
L = "app/mainwindow/NetLink.cpp"
S = "opponents/NetSession.cpp"
M = "opponents/NetMessages.cpp"
C = "opponents/Cp1252.cpp"
P = "presentation/SoundPlayer.cpp"
G = "game/Game.cpp"

FAULTS = [
    # ---- the main window
    # The sounds-on check is made once, in the player (it was the window's too).
    ("fx-sounds-on-inverted", P, "if (!forced && !enabled_)", "if (!forced && enabled_)"),
    ("fx-sounds-forced-ignored", P, "if (!forced && !enabled_)", "if (!enabled_)"),
    ("fx-menu-sounds-toggle", W, "effects_->sound().setEnabled(soundsOnAction_->isChecked());",
     "effects_->sound().setEnabled(true);"),
    ("fx-changeover-not-presented", E,
     "renderer_.drawChangeOverBanner(board_.backBuffer(), game_->st, seconds);\n    board_.present();",
     "renderer_.drawChangeOverBanner(board_.backBuffer(), game_->st, seconds);"),
    ("fx-balloon-anchor-swapped", E, "BoardGeometry::cellCentre(Board::Own, {x, y})", "BoardGeometry::cellCentre(Board::Own, {y, x})"),
    ("fx-neu-asks-wrongly", W, "if (game_->gameRunning() && !askEndGame())",
     "if (!game_->gameRunning() && !askEndGame())"),
    ("fx-close-without-asking", W, "return !game_->gameRunning() || askEndGame();", "return true;"),
    ("fx-enter-with-ctrl", W, "if (enter && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))",
     "if (enter)"),
    ("fx-wizard-forward-always", L, "wizard_->setForwardEnabled(enabled);",
     "wizard_->setForwardEnabled(true);"),
    ("fx-send-outside-net-game", S, "    if (game_.st.gameMode != gmTwoAtTwo)\n        return;\n", ""),
    ("fx-unnamed-name-unchecked", S, "if (!name || !isValidName(*name)) {\n        qCWarning",
     "if (!name) {\n        qCWarning"),
    ("fx-server-stays-open", S, "    server_->close();\n    attachPeer(socket);", "    attachPeer(socket);"),
    ('fx-shot-out-of-turn', G, 'if (cur() != peer || st_.controlField[peer].at(x, y) != cfUnknown)', 'if (st_.controlField[peer].at(x, y) != cfUnknown)'),
    ('fx-shot-repeated', G, 'if (cur() != peer || st_.controlField[peer].at(x, y) != cfUnknown)', 'if (cur() != peer)'),
    ("fx-second-fleet-dropped", S, "        if (!inbox_.isEmpty())\n            violation();",
     "        inbox_.clear();"),
    ("fx-start-player-flipped", S, "inbox_[FleetDigitCount] == '1' ? 1 : 0", "inbox_[FleetDigitCount] == '0' ? 1 : 0"),
    ("fx-retry-wrong-error", S, "error == QAbstractSocket::SocketAddressNotAvailableError",
     "error == QAbstractSocket::ConnectionRefusedError"),
    ("fx-reads-after-game-left", S,
     "    if (link_ == Link::Playing && !gameRunsHere()) {\n        inbox_.clear();\n        return;\n    }\n", ""),
    ("fx-startword-first", S, "const qsizetype go = inbox_.indexOf(StartWord, 1);\n    if (go > 0) {",
     "const qsizetype go = inbox_.indexOf(StartWord);\n    if (go >= 0) {"),
    ('fx-pause-not-passed', G, '    if (changeOverTimer_.isEnabled())\n        changeOverTick();\n    const int peer', '    const int peer'),
    ("fx-lost-message-dropped", S,
     "        ui_.showConnectionMessage(lostCaption(), QStringLiteral(\"Die Verbindung zu \") + name +",
     "        (void)(QStringLiteral(\"Die Verbindung zu \") + name +"),
    # ---- the messages and their code page
    ("fx-fleet-digit-range", M, "return b == '0' || b == '2';", "return b >= '0' && b <= '2';"),
    ("fx-start-byte-any-digit", M, "return b == '0' || b == '1'; // the host's start player",
     "return b >= '0' && b <= '9';"),
    ("fx-shot-second-digit", M, "if (a < '0' || a > '9' || b < '0' || b > '9')", "if (a < '0' || a > '9')"),
    ("fx-name-empty-ok", M, "if (name.isEmpty() || name.size() > MaxNameLength)", "if (name.size() > MaxNameLength)"),
    ("fx-cp-unassigned-byte", C, "            if (u == 0)\n                return std::nullopt;\n", ""),
    ("fx-cp-high-offset", C, "return static_cast<char>(0x80 + i);", "return static_cast<char>(0x7F + i);"),
    ("fx-player-forced-ignored", P, "if (!forced && !enabled_)", "if (!enabled_)"),
    # ---- the engine's order of effects and its timers
    ("fx-info-before-board", G, "    drawScreen(!endFlag);\n    effects_.drawInfo();",
     "    effects_.drawInfo();\n    drawScreen(!endFlag);"),
    ('fx-banner-before-fanfare', G, 'effects_.playSound(SoundFoundAll);\n        effects_.drawFoundAllBanner();', 'effects_.drawFoundAllBanner();\n        effects_.playSound(SoundFoundAll);'),
    ("fx-end-keeps-connection", G, "        effects_.closeConnection();\n", ""),
    ("fx-shot-sent-after-carried-out", G,
     "effects_.sendText(FormatText(QStringLiteral(\"%d%d\"), {c.x, c.y}));\n    fireAt(c.x, c.y);",
     "fireAt(c.x, c.y);\n    effects_.sendText(FormatText(QStringLiteral(\"%d%d\"), {c.x, c.y}));"),
    ("fx-timer-lag-dropped", "game/GameTimers.cpp", "static_cast<int>(std::clamp<std::int64_t>(lag, 1, INT_MAX))", "1",
     "tst_(gameflow|infopanel|mainwindow)"),
]
