#include "registre/RegistryKey.h"

#include <QByteArray>
#include <QMetaType>

#include <stdexcept>

namespace {

using Store = RegistryStore;

// The listings keep their count in a 16-bit signed counter.
constexpr qint16 MaxNames = 32767;
constexpr int NameAreaSize = 4096;
constexpr quint32 ShortNameCapacity = 512;

QString listingFailure()
{
    return QStringLiteral("Unable to retrieve value names for registry key");
}

// The loop that the three listings share: one name area of 4096 blanks, kept
// from call to call, and indexes from 0 until the store answers anything but
// success. step makes the call for one index into the area and takes the name
// it found; the status that ended the loop is returned. Everything else is
// each listing's own:
//
//                      ValueNames              SubKeyNames, SubValueNames
//   capacity given     4096                    512
//   name taken         the returned length     up to the first zero
//   unnamed value      skipped                 listed as "" (SubValueNames)
//   ended by not 259   raises                  absorbed; the result is nothing
//   past 32,767 names  overflow error          replaces the last entry
template <typename Step>
Store::Status enumerateNames(Step step)
{
    QByteArray area(NameAreaSize, ' ');
    quint32 index = 0;
    Store::Status status = Store::ERROR_SUCCESS;
    while ((status = step(index, area)) == Store::ERROR_SUCCESS)
        ++index;
    return status;
}

}

RegistryKey::RegistryKey(RegistryStore &store)
    : store(store)
{
}

RegistryKey::~RegistryKey()
{
    try {
        CloseKey();
    } catch (const RegistryError &) {
        // Nobody is left to tell: the key stays open in the store.
    }
}

bool RegistryKey::CreateKey(quint32 hkeyRoot, const QString &sSubkey, const QString &sClass, quint32 lOptions,
                            quint32 lRights)
{
    CloseKey();
    Store::Handle created = 0;
    quint32 disposition = 0;
    const Store::Status status = store.RegCreateKeyExA(hkeyRoot, sSubkey.toLatin1(), 0, sClass.toLatin1(), lOptions,
                                                       lRights, &created, &disposition);
    if (status != Store::ERROR_SUCCESS) {
        hkeyCurrent = 0;
        return false;
    }
    hkeyCurrent = created;
    return disposition == Store::REG_CREATED_NEW_KEY;
}

void RegistryKey::OpenKey(quint32 hkeyRoot, const QString &sSubkey, quint32 lRights)
{
    CloseKey();
    const auto open = [&] {
        Store::Handle opened = 0;
        const Store::Status status = store.RegOpenKeyExA(hkeyRoot, sSubkey.toLatin1(), 0, lRights, &opened);
        if (status == Store::ERROR_SUCCESS)
            hkeyCurrent = opened;
        return status;
    };
    Store::Status status = open();
    // Only a caller that asks to write gets a missing key made for it.
    if (lRights == Store::KEY_WRITE && status == Store::ERROR_FILE_NOT_FOUND) {
        CreateKey(hkeyRoot, sSubkey, QString(), 0, Store::KEY_ALL_ACCESS);
        CloseKey();
        status = open();
    }
    if (status != Store::ERROR_SUCCESS)
        hkeyCurrent = 0;
}

void RegistryKey::CloseKey()
{
    if (hkeyCurrent == 0)
        return;
    const Store::Status status = store.RegCloseKey(hkeyCurrent);
    if (status != Store::ERROR_SUCCESS)
        throw RegistryError(status, QStringLiteral("RegistryKey.CloseKey"),
                            QStringLiteral("An error occurred while closing the registy key"));
    hkeyCurrent = 0;
}

quint32 RegistryKey::handle() const
{
    return hkeyCurrent;
}

QString RegistryKey::value(const QString &sName)
{
    lastAbsorbed.reset();
    quint32 lLength = 0;
    try {
        lLength = GetRegistryValueLen(sName);
    } catch (const RegistryError &error) {
        absorb(RegistryError(error.number(), QStringLiteral("RegistryKey.Get Value"),
                             QStringLiteral("Unable to get the length of the registy ") + QStringLiteral("value '")
                                 + sName + QLatin1Char('\'')));
    }
    QByteArray area(qsizetype(lLength), '\0');
    quint32 type = 0;
    quint32 size = lLength;
    const Store::Status status = store.RegQueryValueExA(hkeyCurrent, sName.toLatin1(), &type, area.data(), &size);
    if (status != Store::ERROR_SUCCESS)
        absorb(RegistryError(status, QStringLiteral("RegistryKey.Get Value"),
                             QStringLiteral("An error occurred while getting the registy ") + QStringLiteral("value '")
                                 + sName + QLatin1Char('\'')));
    // The stored type is not consulted: the last byte goes, terminator or not,
    // and the length found first rules over the size the read reports.
    return area.isEmpty() ? QString() : QString::fromLatin1(area.chopped(1));
}

void RegistryKey::value(const QString &sName, const QVariant &vValue)
{
    QVariant text = vValue;
    if (!text.convert(QMetaType::fromType<QString>()))
        throw std::invalid_argument("Type mismatch");
    const QByteArray data = text.toString().toLatin1() + '\0';
    store.RegSetValueExA(hkeyCurrent, sName.toLatin1(), 0, Store::REG_SZ, data.constData(), quint32(data.size()));
}

QStringList RegistryKey::ValueNames()
{
    qint16 count = 0;
    QStringList names;
    const Store::Status status = enumerateNames([&](quint32 index, QByteArray &area) {
        quint32 length = NameAreaSize;
        const Store::Status found = store.RegEnumValueA(hkeyCurrent, index, area.data(), &length);
        if (found != Store::ERROR_SUCCESS)
            return found;
        // The unnamed value has length 0 and is left out.
        if (length > 0) {
            if (count == MaxNames)
                throw std::overflow_error("Overflow");
            ++count;
            names.append(QString::fromLatin1(area.left(qsizetype(length))));
        }
        return found;
    });
    if (status != Store::ERROR_NO_MORE_ITEMS)
        throw RegistryError(status, QStringLiteral("RegistryKey.GetValues"), listingFailure());
    return names;
}

std::optional<QStringList> RegistryKey::SubKeyNames()
{
    return listNames(Store::Operation::EnumKey);
}

void RegistryKey::DeleteKey(quint32 hkeyRoot, const QString &sSubkey)
{
    const Store::Status status = store.RegDeleteKeyA(hkeyRoot, sSubkey.toLatin1());
    if (status != Store::ERROR_SUCCESS)
        throw RegistryError(status, QStringLiteral("RegistryKey.DeleteKey"),
                            QStringLiteral("Unable to delete registry key '") + sSubkey + QLatin1Char('\''));
}

void RegistryKey::DeleteSubKey(const QString &sSubkey)
{
    const Store::Status status = store.RegDeleteKeyA(hkeyCurrent, sSubkey.toLatin1());
    if (status != Store::ERROR_SUCCESS)
        throw RegistryError(status, QStringLiteral("RegistryKey.DeleteSubKey"),
                            QStringLiteral("Unable to delete registry subkey '") + sSubkey + QLatin1Char('\''));
}

void RegistryKey::DeleteValue(const QString &sName)
{
    const Store::Status status = store.RegDeleteValueA(hkeyCurrent, sName.toLatin1());
    if (status != Store::ERROR_SUCCESS)
        throw RegistryError(status, QStringLiteral("RegistryKey.DeleteValue"),
                            QStringLiteral("Unable to delete registry value '") + sName + QLatin1Char('\''));
}

std::optional<QStringList> RegistryKey::SubValueNames()
{
    return listNames(Store::Operation::EnumValue);
}

const std::optional<RegistryError> &RegistryKey::absorbedError() const
{
    return lastAbsorbed;
}

quint32 RegistryKey::GetRegistryValueLen(const QString &sName)
{
    quint32 type = 0;
    quint32 size = 0;
    const Store::Status status = store.RegQueryValueExA(hkeyCurrent, sName.toLatin1(), &type, nullptr, &size);
    if (status != Store::ERROR_SUCCESS)
        throw RegistryError(status, QStringLiteral("RegistryKey.GetRegistryValueLen"),
                            QStringLiteral("An error occurred while getting the length of the registy ")
                                + QStringLiteral("value '") + sName + QLatin1Char('\''));
    return size;
}

// SubKeyNames and SubValueNames: room for 512 characters, each name taken up
// to its terminating zero, every failure absorbed.
std::optional<QStringList> RegistryKey::listNames(RegistryStore::Operation operation)
{
    lastAbsorbed.reset();
    qint16 count = 0;
    QStringList names;
    const Store::Status status = enumerateNames([&](quint32 index, QByteArray &area) {
        quint32 capacity = ShortNameCapacity;
        const Store::Status found = operation == Store::Operation::EnumKey
                                        ? store.RegEnumKeyA(hkeyCurrent, index, area.data(), capacity)
                                        : store.RegEnumValueA(hkeyCurrent, index, area.data(), &capacity);
        if (found != Store::ERROR_SUCCESS)
            return found;
        // The length the store gives back is not used: the name ends at the
        // first zero, and the unnamed value is listed as "".
        const qsizetype zero = area.indexOf('\0');
        const QString name = QString::fromLatin1(zero < 0 ? area : area.left(zero));
        if (count < MaxNames) {
            ++count;
            names.append(name);
        } else {
            names.last() = name;
        }
        return found;
    });
    if (status == Store::ERROR_NO_MORE_ITEMS)
        return names;
    absorb(RegistryError(status, QStringLiteral("RegistryKey.GetValues"), listingFailure()));
    return std::nullopt;
}

void RegistryKey::absorb(const RegistryError &error)
{
    if (!lastAbsorbed)
        lastAbsorbed = error;
}
