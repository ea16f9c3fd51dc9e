# Planted faults for the keyboard cursor on the boards and for what the boards,
# the status line and the info panel tell a screen reader.
TESTS = "tst_accessibility$"

BA = "presentation/BoardAccessibility.cpp"
BC = "presentation/BoardCursor.cpp"
IA = "presentation/InfoPanelAccessibility.cpp"

FAULTS = [
    ("access-control-reads-fleet", BA, "switch (st.controlField[v].get(c.x, c.y)) {",
     "switch (st.playField[v ^ 1].get(c.x, c.y) == pfShip ? std::uint8_t(cfHit) : st.controlField[v].get(c.x, c.y)) {"),
    ("access-changeover-shows", BA, "(st.gameMode == gmTwoAtOne && game.changeOverRunning())", "(false)"),
    ("access-viewer-fixed", BA, "    const int v = game.viewedPlayer();\n    if (board == Board::Control) {",
     "    const int v = 0;\n    if (board == Board::Control) {"),
    ("access-sunk-own", BA, "            if (grid.get(c.x + k * s[0], c.y + k * s[1]) != pfShipHit)\n                return false;",
     "            if (grid.get(c.x + k * s[0], c.y + k * s[1]) != pfShipHit)\n                break;"),
    ("access-invisible-title", BA, "s.invisible = model() == nullptr || model()->game().st.gamePhase == gpNoGame;",
     "s.invisible = model() == nullptr;"),
    ("access-focus-any-board", BA, "    const std::optional<Board> board = game_.boardTakingPresses();\n    if (!board)\n        return std::nullopt;\n    return FocusCell",
     "    const std::optional<Board> board = Board::Own;\n    return FocusCell"),
    ("access-cursor-left-edge", BC, "        c.x = std::max(c.x - 1, 0);", "        c.x = c.x - 1;"),
    ("access-cursor-pageup", BC, "    case Qt::Key_PageUp:\n        c.y = 0;", "    case Qt::Key_PageUp:\n        c.x = 0;"),
    ("access-cursor-hover-first", BC, "    game_.hoverCell(*board, at);\n", ""),
    ("access-info-afloat", IA, "shipsIn(Game::countShips(st.controlField[p ^ 1], 1))", "shipsIn(Game::countShips(st.controlField[p], 1))"),
]
