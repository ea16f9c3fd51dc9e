# Planted faults for the installation of an update: unpacking, signature,
# script adaptation, preparation and the launcher with its lock.
TESTS = "tst_install"

UZ = "update/install/SafeUnzip.cpp"
SG = "update/install/UpdateSignature.cpp"
PR = "update/install/PrepareInstall.cpp"
SC = "update/install/InstallScript.cpp"
LA = "update/install/InstallLauncher.cpp"

FAULTS = [
    # unpacking hostile archives
    ("inst-uz-control-char", UZ, "        if (hasControlCharacter(fullName))\n            return failure(UnzipError::BadEntry, shownName);\n", ""),
    ("inst-uz-link", UZ, "        if (type == S_IFLNK)\n            return failure(UnzipError::LinkEntry, shownName);\n", ""),
    ("inst-uz-dotdot", UZ, r'if (name == "." || name == ".." || name.size() > MaxNameBytes)', r'if (name == "." || name.size() > MaxNameBytes)'),
    ("inst-uz-entry-count", UZ, "    if (count > limits.MaxEntries)\n        return failure(UnzipError::TooLarge);\n", ""),
    ("inst-uz-total-sum", UZ, r"st.size > zip_uint64_t(limits.MaxTotalBytes) ||" + "\n            total + st.size > zip_uint64_t(limits.MaxTotalBytes)",
     r"st.size > zip_uint64_t(limits.MaxTotalBytes)"),
    ("inst-uz-overwrite", UZ, r"O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC", r"O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC"),
    ("inst-uz-setuid-kept", UZ, r"mode_t((mode & 0777) | S_IRUSR)", r"mode_t((mode & 07777) | S_IRUSR)"),
    ("inst-uz-drive-colon", UZ, r"for (const char separator : {'/', '\\', ':'})", r"for (const char separator : {'/', ':'})"),
    ("inst-uz-folder-link-followed", UZ, r"if (info.isSymLink() || (info.exists() && !info.isDir())) {", r"if (info.exists() && !info.isDir()) {"),
    # signature
    ("inst-sig-bad-key-ignored", SG, "    if (!rawKey || rawKey->size() != Ed25519KeyBytes)\n        return SignatureCheck::BadKey;",
     "    if (!rawKey || rawKey->size() != Ed25519KeyBytes)\n        return SignatureCheck::NotRequired;"),
    ("inst-sig-error-verdict", SG, r"verdict == 1 ? SignatureCheck::Valid", r"verdict >= 0 ? SignatureCheck::Valid"),
    ("inst-sig-date-untrimmed", SG, r"listDate.trimmed().toUtf8()", r"listDate.toUtf8()"),
    ("inst-prep-missing-accepted", PR, r"if (check != SignatureCheck::Valid)", r"if (check == SignatureCheck::Invalid)"),
    # preparation
    ("inst-prep-hostile-kept", PR, "    case PrepareError::ArchiveHostile:\n    case PrepareError::ArchiveEncrypted:\n    case PrepareError::SignatureMissing:",
     "    case PrepareError::ArchiveEncrypted:\n    case PrepareError::SignatureMissing:"),
    ("inst-prep-leftovers", PR, "        if (result.Error != PrepareError::FolderFailed && QFileInfo(folder).isDir())\n            PrepareEmptyFolder(folder);\n", ""),
    # script adaptation
    ("inst-sc-quote-escape", SC, r"""quoted += "'\\''";""", r"""quoted += "\\'";"""),
    ("inst-sc-crlf", SC, "        if (line.endsWith('\\r'))\n            line.chop(1);\n", ""),
    ("inst-sc-values-order", SC, r"!fill(first + 3, true, {tempDir, programFolder})", r"!fill(first + 3, true, {programFolder, tempDir})"),
    ("inst-sc-heredoc-quoted", SC, "                quote = c;\n                doc.quoted = true;", "                quote = c;"),
    ("inst-sc-restart-foreground", SC, r'" </dev/null >/dev/null 2>&1 &"', r'" </dev/null >/dev/null 2>&1"'),
    # launcher and lock
    ("inst-la-lock-closed", LA, r"lock.fd >= 0 ? LockFdInLauncher + 1 : 3", r"lock.fd >= 0 ? LockFdInLauncher : 3"),
    ("inst-la-no-wait", LA, "constexpr char Waiter[] = \"while IFS= read -r _; do :; done\\n\"\n                          \"echo",
     "constexpr char Waiter[] = \"echo"),
]
