# Faults in the settings file: INI reading and writing, encodings, the
# settings' keys and defaults and the shared, locked file access.
TESTS = "tst_settingsfile"
I = "settings/IniFile.cpp"
S = "settings/SettingsFile.cpp"
F = "settings/SharedFile.cpp"
FAULTS = [
    ("settings-cp1252-read", I, "out.append(b >= 0x80 && b < 0xA0 ? QChar(Cp1252High[b - 0x80]) : QChar(char16_t(b)));", "out.append(QChar(char16_t(b)));"),
    ("settings-cp1252-latin1", I, "if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {", "if (u < 0x80) {"),
    ("settings-utf8-detect", I, "    cp1252_ = !isValidUtf8(data_);", "    cp1252_ = false;"),
    ("settings-hex-prefix", I, "    } else if (t.startsWith(QLatin1Char('$'))) {\n        digits = t.mid(1);\n    } else {", "    } else {"),
    ("settings-hex-wrap", I, "if (digits.isEmpty() || digits.size() > 8)", "if (digits.isEmpty() || digits.size() > 7)"),
    ("settings-header-blank", I, "        while (i < next && d[i] != '\\n' && isAsciiBlank(d[i]))\n            ++i;", ""),
    ("settings-duplicate-section", I, "            if (known == sections_.constEnd())\n                sections_.insert", "            if (true)\n                sections_.insert"),
    ("settings-comment", I, "} else if (!trimmed.startsWith(QLatin1Char(';'))) {", "} else {"),
    ("settings-crlf", I, "        if (end < next && end > pos && data_[end - 1] == '\\r')\n            --end;", ""),
    ("settings-first-key", I, "sp.keys.insert(sp.lines[i].name, i); // from the end: the first one stays", "if (!sp.keys.contains(sp.lines[i].name)) sp.keys.insert(sp.lines[i].name, i);"),
    ("settings-maxlen", I, "valueOf(sp.lines[k]).left(MaxValueLength)", "valueOf(sp.lines[k])"),
    ("settings-newline-clean", I, "    clean.replace(QLatin1Char('\\n'), QLatin1Char(' '));\n", ""),
    ("settings-replace-value", I, "line.text = line.text.left(line.valueStart) + encode(clean);", "line.text = encode(keyName + QLatin1Char('=') + clean);"),
    ("settings-append-eol", I, "    if (all[at - 1].eol.isEmpty())\n        all[at - 1].eol = \"\\r\\n\";", ""),
    ("settings-update-lock", I, "    if (!lock.held() || !ini.load(path)) {", "    if (!ini.load(path)) {"),
    ("settings-login-bracket", S, "if (c == QLatin1Char('[') || c == QLatin1Char(']') || c.unicode() < 0x20)", "if (c == QLatin1Char('[') || c.unicode() < 0x20)"),
    ("settings-system-dir", S, "if (!programDir.isEmpty() && !InstallLocation::IsSystemInstallation(programDir) &&", "if (!programDir.isEmpty() &&"),
    ("settings-color-mask", S, "int(DefaultColors[i]))) & 0xFFFFFFu;", "int(DefaultColors[i])));"),
    ('settings-default-time', S, 'loaded.changingTime = ini.readInteger(recent_, KeyChangingTime, 3);', 'loaded.changingTime = ini.readInteger(recent_, KeyChangingTime, 2);'),
    ("settings-level-case", S, "if (level.compare(Texts::ComputerLevelName(i), Qt::CaseInsensitive) == 0)", "if (level == Texts::ComputerLevelName(i))"),
    ("settings-save-client", S, "ini.writeBool(recent_, KeyClient, st.localPlayer != 0);", "ini.writeBool(recent_, KeyClient, st.localPlayer == 0);"),
    ("settings-shared-mode", F, "ok = ::fchmod(fd, old->st_mode & 07777) == 0;", "ok = true;"),
    ("settings-shared-owner", F, "if (S_ISREG(st.st_mode) && st.st_uid == geteuid() && replace(name, bytes, &st))", "if (S_ISREG(st.st_mode) && replace(name, bytes, &st))"),
    ("settings-shared-truncate", F, "ok = writeAllAt(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;", "ok = writeAllAt(fd, bytes) && ::fsync(fd) == 0;"),
]
