#pragma once

#include "settings/IniFile.h"

#include <QString>

#include <optional>

// The stored update settings: one section "Software\Lx\<key>" of a settings
// file, holding typed values as the system registry would. Types are kept in
// the text: "sz:<text>", "dword:<8 hex digits>", "hex:<bytes as hex pairs,
// comma-separated>". A value that is damaged or of another type than asked
// for reads as absent; presence flags count whatever their type.
// Every use loads the file afresh; nothing is cached between uses.
class UpdateSettingsStore {
public:
    UpdateSettingsStore(const QString &file, const QString &registryKey);

    static QString sectionFor(const QString &registryKey);

    bool valueExists(const QString &name) const;
    std::optional<qint32> readInteger(const QString &name) const;
    // An 8-byte IEEE double, little-endian: days since 30 December 1899.
    std::optional<double> readDate(const QString &name) const;
    std::optional<QString> readString(const QString &name) const;

    void writeString(const QString &name, const QString &value);
    void writeInteger(const QString &name, qint32 value);
    void writeDate(const QString &name, double days);
    void deleteValue(const QString &name);

    // Writes the file, creating its folder; false (with the reason) on failure.
    bool save(QString *error = nullptr) const;

private:
    std::optional<qint32> readIntegerValue(const QString &name) const;
    std::optional<double> readDateValue(const QString &name) const;

    QString file_;
    QString section_;
    IniFile ini_;
};
