# Faults in the computer player: hunting, targeting, the three levels and
# its timer.
TESTS = "tst_(board|gameflow|placement|computergame)$"
C = "opponents/ComputerPlayer.cpp"
FAULTS = [
    ("computer-freespan-cap", C, "    return std::min(span, 4);", "    return span;"),
    ("computer-line-extend", C, "        while (control.get(c.x + dx, c.y + dy) == cfHit) {\n            c.x += dx;\n            c.y += dy;\n        }", ""),
    ("computer-line-behind", C, "        if (!Game::canSetShipCell(control, behind.x, behind.y, false))\n            return beyond;\n", ""),
    ("computer-single-clear", C, "    g.at(a.x, a.y) = cfUnknown;\n", ""),
    ("computer-single-axis", C, "const bool open = d[0] != 0 ? horizontalOpen : verticalOpen;", "const bool open = d[0] != 0 ? verticalOpen : horizontalOpen;"),
    ("computer-hunt-strict", C, "        if (!strictFree(control, cell.x, cell.y))\n            continue;", "        if (control.at(cell.x, cell.y) != cfUnknown)\n            continue;"),
    ("computer-knownempty-edge", C, "        if (g.get(x + d[0], y + d[1]) == cfSunk)\n            return true;", "        if (g.get(x + d[0], y + d[1]) == cfWater)\n            return true;"),
    ("computer-afloat", C, "afloat[length] = std::max(0, RequiredShips(length) - sunk[length]);", "afloat[length] = RequiredShips(length);"),
    ("computer-level-swap", C, "    case clEasy:\n        return chooseEasyCell(control, rng);\n    case clHard:\n        return chooseHardCell(control, rng);",
     "    case clEasy:\n        return chooseHardCell(control, rng);\n    case clHard:\n        return chooseEasyCell(control, rng);"),
    ("computer-easy-targets", C, "return drawFrom(targets.empty() ? open : targets, rng);", "return drawFrom(open, rng);"),
    ("computer-hard-single", C, "for (int d = 0; d < (length == 1 ? 1 : 2); ++d) {", "for (int d = 0; d < 2; ++d) {"),
    ("computer-hard-ends", C, "fits = fits && hits < length && control.get(x - dx, y - dy) != cfHit &&\n                           control.get(x + length * dx, y + length * dy) != cfHit;", "fits = fits && hits < length;"),
    ("computer-timer-winner", C, "game_.scheduleComputerMoves(st.winner == 0);", "game_.scheduleComputerMoves(false);"),
    ("computer-timer-turn", C, "st.gamePhase == gpFiring && st.currentPlayer == 1)", "st.gamePhase == gpFiring)"),
]
FAULTS += [
    ("computer-timer-field", C, "chooseCell(st.computerLevel, st.controlField[1], st.computerLastHit, game_.rng());",
     "chooseCell(st.computerLevel, st.playField[0], st.computerLastHit, game_.rng());"),
]
