#pragma once

#include "registre/RegistryError.h"
#include "registre/RegistryStore.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// One key of the registry at a time: opens or creates a key below a root key,
// reads and writes text values of it, lists the names of its values and
// sub-keys, and deletes keys and values. It holds at most one open key, closes
// it before opening another and when it is destroyed.
//
// Texts cross to the registry as 8-bit characters, one byte per character
// (Latin-1 both ways). Failures are RegistryError exceptions for the
// operations that raise; the value read, SubKeyNames and SubValueNames never
// raise and keep the first error they absorbed in absorbedError().
class RegistryKey
{
public:
    // Works on the program's registry unless given another store.
    explicit RegistryKey(RegistryStore &store = RegistryStore::system());
    // Closes the held key. A close that fails here is dropped: the
    // destruction completes and the key stays open in the store.
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    // Closes the held key (its RegistryError goes to the caller), then creates
    // or opens sSubkey. True only when the key did not exist and was created;
    // a failure gives false with no key held.
    bool CreateKey(quint32 hkeyRoot, const QString &sSubkey, const QString &sClass, quint32 lOptions,
                   quint32 lRights);
    // Closes the held key (its RegistryError goes to the caller), then opens
    // sSubkey. With write access 0x20006 only, a missing key is created first.
    // A failure shows only as handle() 0.
    void OpenKey(quint32 hkeyRoot, const QString &sSubkey, quint32 lRights);
    // Raises when the store refuses; the key then stays held, so that a later
    // CloseKey tries again.
    void CloseKey();
    quint32 handle() const;

    // The value's bytes as text, less the last byte (the terminator of a
    // text value); "" when nothing can be read. Never raises.
    QString value(const QString &sName);
    // Stores vValue's text form with a terminating zero as a text value. A
    // vValue with no text form throws std::invalid_argument and writes
    // nothing; a write the store refuses is not reported.
    void value(const QString &sName, const QVariant &vValue);

    // The names of the named values; raises on failure and throws
    // std::overflow_error past 32,767 names.
    QStringList ValueNames();
    // The names of the sub-keys, or nothing on failure (a name longer than
    // 511 characters is one). Past 32,767 names
    // each further name replaces the last entry.
    std::optional<QStringList> SubKeyNames();

    // Below hkeyRoot, not below the held key; raises on failure.
    void DeleteKey(quint32 hkeyRoot, const QString &sSubkey);
    // Below the held key; raises on failure.
    void DeleteSubKey(const QString &sSubkey);
    void DeleteValue(const QString &sName);

    // The names of all values, the unnamed one as "", or nothing on failure
    // (a name longer than 511 characters is one). Past 32,767 names each
    // further name replaces the last entry.
    std::optional<QStringList> SubValueNames();

    // The first error that the last value read, SubKeyNames or SubValueNames
    // absorbed; nothing when it absorbed none.
    const std::optional<RegistryError> &absorbedError() const;

private:
    quint32 GetRegistryValueLen(const QString &sName);
    std::optional<QStringList> listNames(RegistryStore::Operation operation);
    void absorb(const RegistryError &error);

    RegistryStore &store;
    quint32 hkeyCurrent = 0;
    std::optional<RegistryError> lastAbsorbed;
};
