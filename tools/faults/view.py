# Planted faults for the board drawing, the info panel, the balloon hint, the
# timer wake-up, the drawing surface and the colour/about dialogs' widgets.
TESTS = "tst_(boardrenderer|infopanel|balloonhint|assets|gametimerdriver|colorcombobox|aboutdialog|colordialog)"

BR = "presentation/BoardRenderer.cpp"
IP = "presentation/InfoPanel.cpp"
BH = "presentation/BalloonHint.cpp"
CC = "dialogs/ColorComboBox.cpp"
TI = "dialogs/AboutDialog.cpp"
F4 = "dialogs/ColorDialog.cpp"

# Each fault names the tests that exercise its file, so that a run builds
# only those programs (TESTS above is the area's whole set).
TESTS_OF = {
    "presentation/BoardRenderer": "tst_boardrenderer",
    "presentation/InfoPanel": "tst_infopanel",
    "presentation/DrawingSurface": "tst_infopanel",
    "presentation/BalloonHint": "tst_balloonhint",
    "presentation/GameTimerDriver": "tst_gametimerdriver",
    "dialogs/ColorComboBox": "tst_(colorcombobox|colordialog)",
    "dialogs/AboutDialog": "tst_aboutdialog",
    "dialogs/ColorDialog": "tst_colordialog",
}

FAULTS = [
    # board drawing
    ("view-br-hover-board", BR, r"st.gamePhase < gpFiring ? Board::Own : Board::Control", r"st.gamePhase <= gpFiring ? Board::Own : Board::Control"),
    ("view-br-hover-placement", BR, r"st.placementDone != pdLocal", r"!(st.placementDone & pdLocal)"),
    ("view-br-stored-colour", "presentation/BoardRenderer.h", r"QColor::fromRgb(swapRedBlue(c) | 0xFF000000u)",
     r"QColor::fromRgb(c | 0xFF000000u)"),
    ("view-br-viewed-player", BR, r"const int v = Game::viewedPlayerOf(st);", r"const int v = st.currentPlayer;"),
    ("view-br-lastshot-slot", BR, r"(st.currentPlayer ^ 1) : 0", r"st.currentPlayer : 0"),
    ("view-br-countdown-font-kept", BR, "QString::number(seconds));\n    setScreenFont(0);", "QString::number(seconds));"),
    ("view-br-fit-drop-one", BR, r"n = text.size() - 2; n > 0", r"n = text.size() - 1; n > 0"),
    ("view-br-title-edge", BR, r"p.drawImage(QRect(PictureWidth, 0, Width - PictureWidth, PictureHeight), title, QRect(w - 1, 0, 1, h));", ""),
    # info panel
    ("view-ip-bg-rounding", IP, r"drop - (drop * x + w / 2) / w", r"drop - (drop * x) / w"),
    ("view-ip-halves-swapped", IP, r"drawFleetHalf(back, 0, Game::countShips(st.controlField[v ^ 1], 1));",
     r"drawFleetHalf(back, 0, Game::countShips(st.controlField[v], 1));"),
    ("view-ip-stats-player", IP, r"const int player = i == 0 ? (v ^ 1) : v;", r"const int player = i == 0 ? v : (v ^ 1);"),
    ("view-ip-stats-truncated", IP, r"Game::roundHalfToEven(static_cast<long long>(hits) * 100, tries)",
     r"int(hits * 100 / tries)"),
    ("view-ip-wrap-old-width", IP, r"titleShip.x = -(logicalSize(sprites_[next]).width() / 2);", r"titleShip.x = -(size.width() / 2);"),
    ("view-ip-dirty-old-place", IP, r"(lastShip_ | shipRect)", r"shipRect"),
    ("view-ip-full-after-draw", IP, "    fullFrame_ = true;\n    QImage &back", "    QImage &back"),
    ("view-dx-partial-origin", "presentation/DrawingSurface.cpp", r"back_.constScanLine(y) + r.left() * 4",
     r"back_.constScanLine(y - r.top())"),
    # balloon hint
    ("view-bh-left-clamp", BH, r"left = qMax(left, avail.left());", ""),
    ("view-bh-no-restart", BH, r"timer_->start(displayTime_);", r"if (!timer_->isActive()) timer_->start(displayTime_);"),
    ("view-bh-hide-keeps-timer", BH, "    showing_ = false;\n    timer_->stop();\n    QWidget::hideEvent",
     "    showing_ = false;\n    QWidget::hideEvent"),
    # timer wake-up
    ("view-gtd-wait-absolute", "presentation/GameTimerDriver.cpp", r"const std::int64_t wait = aim - hub_.clock().nowMs();",
     r"const std::int64_t wait = aim;"),
    # colour box
    ("view-cc-parse-lowercase", CC, "        else if (ch >= u'a' && ch <= u'f')\n            digit = ch - u'a' + 10;\n", ""),
    ("view-cc-unlisted-custom", CC, "        customColor_ = value;\n        index = colors_.size();", "        index = colors_.size();"),
    ("view-cc-delete-reselect", CC, "    removeItem(index);\n    setColor(color_);", "    removeItem(index);"),
    ("view-cc-setcolors-remove-custom", CC, r"removeItem(found >= 0 ? found : count() - 2);", r"removeItem(found >= 0 ? found : count() - 1);"),
    ("view-cc-setcolors-not-canonical", CC, r"canonical << colorText(*value);", r"canonical << entry;"),
    ("view-cc-chosen-not-custom", CC, "        setCustomColor(*chosen);\n        setColor(*chosen);", "        setColor(*chosen);"),
    ("view-cc-custom-name", CC, r'QStringLiteral(": ") + colorName(customColor_)', r'QStringLiteral(": ") + colorText(customColor_)'),
    ("view-cc-shared-freed-early", CC, r"if (--liveBoxes == 0) {", r"if (--liveBoxes <= 1) {"),
    # about dialog
    ("view-ti-logo-left", TI, r"const int left = n - logo_.width() / 2;", r"const int left = n - logo_.width();"),
    ("view-ti-escape-rejects", TI, "        accept();\n        return;", "        reject();\n        return;"),
    ("view-ti-link-stays-red", TI, "void AboutDialog::linkReleased(QLabel *link)\n{\n    setLabelColour(link, QColor(0, 0, 255));\n}",
     "void AboutDialog::linkReleased(QLabel *)\n{\n}"),
    ("view-ti-adopt-size", "presentation/DesktopFace.cpp", r"if (points != 8)", r"if (points < 8)", "tst_aboutdialog$"),
    # colour dialog
    ('view-f4-not-stored', "game/Game.cpp", '    st_.cellColors = colors;\n', '', 'tst_(colordialog|gameflow)$'),
    ('view-f4-changed-last-only', "game/Game.cpp", 'const bool changed = colors != st_.cellColors;', 'const bool changed = colors[3] != st_.cellColors[3];', 'tst_(colordialog|gameflow)$'),
    ('view-f4-countdown', "game/Game.cpp", 'st_.gamePhase <= gpFiring && !changeOverTimer_.isEnabled())\n        drawScreen(true);', 'st_.gamePhase <= gpFiring)\n        drawScreen(true);', 'tst_(colordialog|gameflow)$'),
]
FAULTS = [f if len(f) > 4 else f + (TESTS_OF[f[1].rsplit(".", 1)[0]],) for f in FAULTS]
