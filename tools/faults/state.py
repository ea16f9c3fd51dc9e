# Faults in the writers of the game state: the wizard's choices, the peer's
# name, fleet, start message and shots, the one step from both fleets to
# firing, loaded settings, sounds, colours and the placement phases.
TESTS = "tst_(wizard|netgame|nethostile|settingsfile|gameflow|mainwindow|colordialog)$"

FAULTS = [
    ('state_wizard_m1_time', "dialogs/NewGameWizard.cpp", 'choices.changingTime = changeOverSpin_->value() + 1;', 'choices.changingTime = changeOverSpin_->value();'),
    ("state_wizard_m1_recent", "game/Game.cpp",
     "st_.recentNames = c.playerNames;", ";"),
    ('state_wizard_m3_time', "dialogs/NewGameWizard.cpp", 'choices.changingTime = thinkingTimeSpin_->value();', 'choices.changingTime = thinkingTimeSpin_->value() + 1;'),
    ("state_wizard_m2_recent", "game/Game.cpp",
     "st_.recentNames[0] = c.playerNames[local()];",
     "st_.recentNames[1] = c.playerNames[local()];"),
    ("state_wizard_m2_host", "game/Game.cpp",
     "if (local() == 1)\n            st_.hostAddress = c.hostAddress;", ""),
    ("state_wizard_m3_level", "game/Game.cpp",
     "setComputerLevel(c.computerLevel);", ";"),
    ("state_wizard_m2_local", "dialogs/NewGameWizard.cpp",
     "const int local = guestButton_->isChecked() ? 1 : 0;",
     "const int local = hostButton_->isChecked() ? 1 : 0;"),
    ("state_net_name_recent", "game/Game.cpp",
     "st_.recentNames[1] = name;", "st_.recentNames[0] = name;"),
    ("state_net_name_slot", "game/Game.cpp",
     "st_.playerNames[local() ^ 1] = name;", "st_.playerNames[local()] = name;"),
    ("state_net_fleet_slot", "game/Game.cpp",
     "st_.playField[local() ^ 1] = fleet;", "st_.playField[local()] = fleet;"),
    ("state_net_start_player", "game/Game.cpp",
     "if (local() == 1)\n        st_.netStartPlayer = startPlayer;",
     "if (local() == 0)\n        st_.netStartPlayer = startPlayer;"),
    ("state_net_remote_done", "game/Game.cpp",
     "if (st_.placementDone == 0)\n        st_.placementDone = pdRemote;",
     "if (st_.placementDone == pdLocal)\n        st_.placementDone = pdRemote;"),
    ("state_net_firing_guest", "game/Game.cpp",
     "if (local() == 1)\n        st_.currentPlayer = st_.netStartPlayer",
     "if (local() == 0)\n        st_.currentPlayer = st_.netStartPlayer"),
    ("state_key_firing_guest", "game/Game.cpp",
     "st_.currentPlayer = st_.netStartPlayer != 0 ? 1 : 0;",
     "st_.currentPlayer = st_.netStartPlayer != 0 ? 0 : 1;"),
    ("state_key_local_done", "game/Game.cpp",
     "st_.placementDone = pdLocal;\n            effects_",
     "st_.placementDone = pdRemote;\n            effects_"),
    ("state_guest_start_name", "opponents/NetSession.cpp",
     "game_.beginGame(game_.st.localPlayer);", "game_.beginGame(game_.st.localPlayer ^ 1);"),
    ("state_guest_start_order", "game/Game.cpp",
     "{st_.playerNames[p]}));\n    drawScreen(true);\n    effects_.drawInfo();",
     "{st_.playerNames[p]}));\n    effects_.drawInfo();\n    drawScreen(true);"),
    ("state_settings_client", "settings/SettingsFile.cpp",
     "ini.readBool(recent_, KeyClient, false) ? 1 : 0;",
     "ini.readBool(recent_, KeyClient, false) ? 0 : 1;"),
    ("state_settings_ship_sound", "settings/SettingsFile.cpp",
     "ini.readInteger(options_, KeySoundShip, 101);",
     "ini.readInteger(options_, KeySoundShip, 1);"),
    ("state_settings_level", "settings/SettingsFile.cpp",
     "loaded.computerLevel = clNormal;", "loaded.computerLevel = clEasy;"),
    ("state_colour_redraw", "game/Game.cpp",
     "st_.gamePhase <= gpFiring && !changeOverTimer_.isEnabled()", "st_.gamePhase < gpFiring && !changeOverTimer_.isEnabled()"),
    ("state_colour_changed", "game/Game.cpp",
     "const bool changed = colors != st_.cellColors;",
     "const bool changed = colors[3] != st_.cellColors[3];"),
    ("state_phase_pair", "game/Game.cpp",
     "st_.gamePhase = GamePhaseT(((st_.gamePhase - 1) & 2)",
     "st_.gamePhase = GamePhaseT(((st_.gamePhase - 1) & 1)"),
    ("state_wizard_show_clear", "game/Game.cpp",
     "    st_.playerNames[1].clear();\n}", "}"),
    # New code paths of the refactoring (no counterpart before it).
    ("state_settings_not_applied", "app/mainwindow/MainWindow.cpp",
     "game_->applySettings(stored);", ";"),
    ("state_peer_shot_turn", "game/Game.cpp",
     "if (cur() != peer || st_.controlField[peer]", "if (cur() == peer || st_.controlField[peer]"),
]

# The tests that exercise each fault most directly (the whole TESTS list
# takes minutes per fault on a busy machine).
_NARROW = {
    "state_wizard_m3_level": "tst_(wizard|mainwindow)$",
    "state_colour_redraw": "tst_(colordialog|mainwindow)$",
    "state_colour_changed": "tst_(colordialog|mainwindow)$",
}
for _i, _f in enumerate(FAULTS):
    if _f[0] in _NARROW:
        _regex = _NARROW[_f[0]]
    elif _f[0].startswith("state_wizard"):
        _regex = "tst_(wizard|mainwindow|netgame)$"
    elif _f[0].startswith(("state_net", "state_key", "state_guest", "state_peer")):
        _regex = "tst_(netgame|nethostile|mainwindow|gameflow)$"
    else:
        continue
    FAULTS[_i] = _f[:4] + (_regex,)
