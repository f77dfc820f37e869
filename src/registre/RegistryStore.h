#pragma once

#include <QByteArray>
#include <QHash>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// An in-memory registry of our own, for a platform that has none. It offers
// the nine 8-bit-character registry operations that RegistryKey uses, with the
// platform's statuses, handles and root-key values, and lives for the life of
// the program: nothing is ever written to disk.
//
// What it promises, as the platform does:
// - every operation returns a status: 0 success, 2 not found, 259 no more
//   items, and other error numbers (5 access denied, 6 invalid handle,
//   87 invalid parameter, 161 bad path, 234 name or data larger than the area
//   given, 1018 key deleted while a handle to it was open);
// - the seven root keys keep their fixed handles 0x80000000 to 0x80000006 and
//   are always open; every handle it issues is non-zero and names one key;
// - key and value names compare without regard to letter case; keys and
//   values enumerate in the order they were first added;
// - a value is a type and raw bytes, stored and returned exactly as given;
// - a handle carries the access rights it was opened with, and an operation
//   that needs a right the handle lacks fails with 5.
//
// It does not follow symbolic links, security descriptors, volatile keys or
// the platform's length limits on names; none of them matters to this program.
class RegistryStore
{
public:
    using Handle = quint32;
    using Status = qint32;

    static constexpr Handle HKEY_CLASSES_ROOT = 0x80000000;
    static constexpr Handle HKEY_CURRENT_USER = 0x80000001;
    static constexpr Handle HKEY_LOCAL_MACHINE = 0x80000002;
    static constexpr Handle HKEY_USERS = 0x80000003;
    static constexpr Handle HKEY_PERFORMANCE_DATA = 0x80000004;
    static constexpr Handle HKEY_CURRENT_CONFIG = 0x80000005;
    static constexpr Handle HKEY_DYN_DATA = 0x80000006;

    static constexpr quint32 KEY_QUERY_VALUE = 0x0001;
    static constexpr quint32 KEY_SET_VALUE = 0x0002;
    static constexpr quint32 KEY_CREATE_SUB_KEY = 0x0004;
    static constexpr quint32 KEY_ENUMERATE_SUB_KEYS = 0x0008;
    static constexpr quint32 KEY_READ = 0x20019;
    static constexpr quint32 KEY_WRITE = 0x20006;
    static constexpr quint32 KEY_ALL_ACCESS = 0xF003F;

    static constexpr Status ERROR_SUCCESS = 0;
    static constexpr Status ERROR_FILE_NOT_FOUND = 2;
    static constexpr Status ERROR_ACCESS_DENIED = 5;
    static constexpr Status ERROR_INVALID_HANDLE = 6;
    static constexpr Status ERROR_INVALID_PARAMETER = 87;
    static constexpr Status ERROR_BAD_PATHNAME = 161;
    static constexpr Status ERROR_MORE_DATA = 234;
    static constexpr Status ERROR_NO_MORE_ITEMS = 259;
    static constexpr Status ERROR_KEY_DELETED = 1018;

    static constexpr quint32 REG_NONE = 0;
    static constexpr quint32 REG_SZ = 1;
    static constexpr quint32 REG_EXPAND_SZ = 2;
    static constexpr quint32 REG_BINARY = 3;
    static constexpr quint32 REG_DWORD = 4;
    static constexpr quint32 REG_MULTI_SZ = 7;

    static constexpr quint32 REG_CREATED_NEW_KEY = 1;
    static constexpr quint32 REG_OPENED_EXISTING_KEY = 2;

    // The nine operations, for the interceptor below.
    enum class Operation { OpenKey, CreateKey, CloseKey, QueryValue, SetValue, EnumValue, EnumKey, DeleteKey, DeleteValue };

    // Called before every operation with the handle it was given (the parent
    // for opening, creating and deleting keys). A non-zero status makes the
    // operation fail with it and change nothing; it may also change the store
    // through the administration functions before the operation goes on.
    using Interceptor = std::function<Status(Operation, Handle)>;

    struct StoredValue
    {
        quint32 type = REG_NONE;
        QByteArray data;
    };

    // An empty registry: the seven root keys and nothing under them.
    RegistryStore();
    ~RegistryStore();
    RegistryStore(const RegistryStore &) = delete;
    RegistryStore &operator=(const RegistryStore &) = delete;

    // The program's registry. It holds what the desktop says about opening web
    // pages: the unnamed value of HKEY_CLASSES_ROOT\htmlfile\shell\open\command
    // is the text "xdg-open %1" with its terminating zero.
    static RegistryStore &system();

    // The platform's operations. Paths are sub-key names joined by "\";
    // an empty path names the key that the handle names.
    Status RegOpenKeyExA(Handle hKey, const QByteArray &subKey, quint32 options, quint32 samDesired,
                         Handle *phkResult);
    // Creates the missing keys along the path; the new handle is not
    // inheritable, as this store has no child processes to inherit it.
    Status RegCreateKeyExA(Handle hKey, const QByteArray &subKey, quint32 reserved, const QByteArray &keyClass,
                           quint32 options, quint32 samDesired, Handle *phkResult, quint32 *disposition);
    Status RegCloseKey(Handle hKey);
    // With no data area, only the size is given back. With an area smaller
    // than the data, the size is given back with 234 and the area is left alone.
    Status RegQueryValueExA(Handle hKey, const QByteArray &valueName, quint32 *type, char *data, quint32 *cbData);
    Status RegSetValueExA(Handle hKey, const QByteArray &valueName, quint32 reserved, quint32 type, const char *data,
                          quint32 cbData);
    // Names only. *cchValueName: in, the capacity of the area in characters;
    // out, the length of the name without the zero that follows it.
    Status RegEnumValueA(Handle hKey, quint32 index, char *valueName, quint32 *cchValueName);
    // Writes the name followed by a zero character; cchName counts that zero.
    Status RegEnumKeyA(Handle hKey, quint32 index, char *name, quint32 cchName);
    // The key must have no sub-keys (5 otherwise).
    Status RegDeleteKeyA(Handle hKey, const QByteArray &subKey);
    Status RegDeleteValueA(Handle hKey, const QByteArray &valueName);

    // Administration, outside the platform's interface: putting keys and
    // values in place, looking at them, and watching or failing operations.
    // root is one of the seven root handles.
    void putKey(Handle root, const QByteArray &path);
    void putValue(Handle root, const QByteArray &path, const QByteArray &name, quint32 type, const QByteArray &data);
    bool hasKey(Handle root, const QByteArray &path) const;
    std::optional<StoredValue> storedValue(Handle root, const QByteArray &path, const QByteArray &name) const;
    // Handles issued and not yet closed; the root keys do not count.
    int openHandleCount() const;
    // The access rights an open handle carries, 0 for a handle not open.
    quint32 rightsOf(Handle hKey) const;
    void setInterceptor(Interceptor interceptor);

private:
    struct Key;
    struct Opened
    {
        Key *key = nullptr;
        quint32 rights = 0;
        Status status = ERROR_SUCCESS;
    };

    Opened resolve(Handle hKey) const;
    Status intercept(Operation operation, Handle hKey);
    // What every operation but closing checks first, in this order: the
    // interceptor, the operation's own parameters, the handle, and the rights
    // the operation needs. Passed, the key and the handle's rights with
    // status 0; failed, no key and the status to return.
    Opened enter(Operation operation, Handle hKey, quint32 neededRights, bool parametersValid = true);
    Handle issue(Key *key, quint32 rights);
    Key *rootKey(Handle root) const;
    // The key at path below a root, or nullptr; makeKey adds what is missing.
    Key *keyAt(Handle root, const QByteArray &path) const;
    Key *makeKey(Handle root, const QByteArray &path);

    std::vector<std::unique_ptr<Key>> roots;
    QHash<Handle, Opened> handles;
    // Keys removed while a handle still named them, kept so that the handle
    // can report 1018 instead of pointing at freed memory.
    std::vector<std::unique_ptr<Key>> deletedKeys;
    Handle nextHandle = 0x100;
    Interceptor interceptor;
};
