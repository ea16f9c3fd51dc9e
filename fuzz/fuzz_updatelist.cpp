// The update server's answer: the input is the update list. The program's
// section is read as the wizard reads it, its dates parsed and its news turned
// into the bullet list. The date parser also gets the input's start directly.

#include "update/UpdateDates.h"
#include "update/UpdateListFile.h"
#include "update/UpdateWizardModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    UpdateDates::parseGermanDate(QString::fromLatin1(bytes.left(32)));

    UpdateListFile list;
    list.loadText(bytes);
    const QString program = QStringLiteral("Kielwanz");
    list.sectionPresent(program);
    for (const char *key : {"File", "Signature"})
        list.readString(program, QString::fromLatin1(key));
    if (const auto date = UpdateDates::parseGermanDate(list.readString(program, QStringLiteral("Date"))))
        UpdateDates::toDate(UpdateDates::fromDate(*date));
    UpdateWizardModel::NewsToBulletList(list.readString(program, QStringLiteral("News")),
                                        UpdateDates::fromDate(QDate(2025, 3, 1)));
    return 0;
}
