# Faults of the update wizard, its HTTP client, the update list, dates and the
# stored update settings (the installation code has its own list).
TESTS = "tst_(updatewizard|updatesettings|updateflow)"

# The wizard's steps and texts live in its model.
W = "update/UpdateWizardModel.cpp"
H = "update/HttpClient.cpp"
L = "update/UpdateListFile.cpp"
D = "update/UpdateDates.cpp"
S = "update/UpdateSettingsStore.cpp"
C = "update/Updater.cpp"
U = "update/UpdateWizard.cpp"

FAULTS = [
    # News and sizes
    ("upd-news-same-day-dropped", W, "if (date && programDay.isValid() && *date < programDay)",
     "if (date && programDay.isValid() && *date <= programDay)"),
    ("upd-news-blank-lines-kept", W, "        if (line.trimmed().isEmpty())\n            continue;\n", ""),
    ("upd-size-unit-boundary", W, "while (value >= 1024 && unit <= 4)", "while (value > 1024 && unit <= 4)"),
    ("upd-size-decimal-point", W, "    number.replace(u'.', u',');\n", ""),
    ("upd-size-digits", W, "int(QString::number(qRound64(value)).size()) + decimals;",
     "int(QString::number(qRound64(value)).size()) + decimals + 1;"),
    # Step decisions
    ("upd-check-date-off-by-one", W, "serverDate() >= inputs_.programDate", "serverDate() + 1 >= inputs_.programDate"),
    ("upd-check-section-ignored", W, "updateList_.sectionPresent(inputs_.programName) && serverDate()",
     "serverDate()"),
    ("upd-server-date-fallback", W, "    return UpdateDates::fromDate(platform_.today());\n}",
     "    return 0;\n}"),
    ("upd-step2-cancel-left-on", W,
     "            view_.cancelEnabled = false;\n            view_.checkResult",
     "            view_.checkResult"),
    ("upd-retry-wrong-step", W, "    step_ = 2;\n    downloadAborted_ = false;",
     "    step_ = 3;\n    downloadAborted_ = false;"),
    ("upd-cancel-not-remembered", W, "            cancelRequested_ = true;\n", ""),
    ("upd-busy-lock-no-retry", W, "        --step_; // \"Weiter >\" tries again\n", ""),
    ("upd-close-step5-terminates", W, "if (step_ == 5 && installPrepared_)\n        terminateRequested_",
     "if (step_ == 5)\n        terminateRequested_"),
    ("upd-settings-return-page", W, "    if (step_ == 5 && !installPrepared_)\n        return 4;\n", ""),
    ("upd-percent-without-length", W, "total == 0 ? QStringLiteral(\"100 %\")", "total == 0 ? QStringLiteral(\"0 %\")"),
    ("upd-retry-deletes-new-file", W,
     "    if (partialFileTimer_.isActive())\n        deletePartialFileNow();\n    downloadFailed_ = false;",
     "    downloadFailed_ = false;"),
    ("upd-next-day-interval-0", W, "stored && *stored >= 1 ? *stored", "stored && *stored >= 0 ? *stored"),
    ("upd-next-day-off-by-one", W, "UpdateDates::fromDate(platform_.today()) + interval - 1",
     "UpdateDates::fromDate(platform_.today()) + interval"),
    # Update list and dates
    ("upd-list-last-key-wins", L, "if (key.isEmpty() || current->contains(key))", "if (key.isEmpty())"),
    ("upd-list-value-not-cut", L, "value.left(MaxValueLength)", "value"),
    ("upd-list-empty-section-counts", L, "return it != sections_.cend() && !it->isEmpty();",
     "return it != sections_.cend();"),
    ("upd-date-two-digit-century", D, "year += 2000;", "year += 1900;"),
    ("upd-date-epoch", D, "return QDate(1899, 12, 30);", "return QDate(1899, 12, 31);"),
    # HTTP client
    ("upd-http-body-limit-unchecked", H, "if (t->maxBody > 0 && t->received.load() + qint64(bytes) > t->maxBody)",
     "if (false && t->received.load() + qint64(bytes) > t->maxBody)"),
    ("upd-http-https-downgrade", H, "t->redirectProtocols = scheme == u\"https\" ? \"https\" : \"http,https\";",
     "t->redirectProtocols = \"http,https\";"),
    ("upd-http-status-ignored", H, "if (t->code == CURLE_OK && t->status >= 200 && t->status < 300)",
     "if (t->code == CURLE_OK)"),
    ("upd-http-redirect-host-kept", H, "                baseUrl.setHost(moved.host());\n", ""),
    ("upd-http-query-not-encoded", H, "QUrl::toPercentEncoding(path, \"/\")", "QUrl::toPercentEncoding(path, \"/?\")"),
    ("upd-http-no-deadline", H, "if (t->deadlineMs > 0)\n            lib.easy_setopt",
     "if (false)\n            lib.easy_setopt"),
    ("upd-http-old-file-kept", H, "if (::unlink(fileName.constData()) != 0 && errno != ENOENT)",
     "if (false && errno != ENOENT)"),
    # Stored settings and the start decision
    ("upd-store-nan-date", S, "if (!std::isfinite(days) || days < -693593.0", "if (days < -693593.0"),
    ("upd-start-due-today", C, "(today > nextCheck && !store", "(today >= nextCheck && !store"),
    # The wizard's layout table
    ("upd-layout-button-not-fitted", U, "{.w = settingsButton_, .r = {240, 320, 97, 25}, .fit = pushButton,",
     "{.w = settingsButton_, .r = {240, 320, 97, 25}, .fit = HintHeight,"),
]
