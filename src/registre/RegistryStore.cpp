#include "registre/RegistryStore.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace {

// Names compare as the platform compares them: without regard to case, over
// the 8-bit characters.
QByteArray folded(const QByteArray &name)
{
    return QString::fromLatin1(name).toLower().toLatin1();
}

// The names along a path; nothing when one of them is empty ("\a", "a\\b").
std::optional<QList<QByteArray>> splitPath(const QByteArray &path)
{
    if (path.isEmpty())
        return QList<QByteArray>();
    const QList<QByteArray> names = path.split('\\');
    if (std::any_of(names.begin(), names.end(), [](const QByteArray &name) { return name.isEmpty(); }))
        return std::nullopt;
    return names;
}

bool allowed(quint32 rights, quint32 needed)
{
    return (rights & needed) == needed;
}

// For the operations that work with whatever rights the handle carries.
constexpr quint32 AnyRights = 0;

}

struct RegistryStore::Key
{
    struct NamedValue
    {
        QByteArray name;
        StoredValue value;
    };

    QByteArray name;
    QByteArray keyClass;
    Key *parent = nullptr;
    bool deleted = false;
    std::vector<std::unique_ptr<Key>> subKeys;
    QHash<QByteArray, Key *> subKeyByName;
    std::vector<NamedValue> values;
    QHash<QByteArray, std::size_t> valueByName;

    Key *child(const QByteArray &childName) const { return subKeyByName.value(folded(childName), nullptr); }

    // The key reached by following names down from this one, or nullptr
    // when one of them is missing.
    Key *descendant(const QList<QByteArray> &names)
    {
        Key *key = this;
        for (const QByteArray &name : names) {
            key = key->child(name);
            if (!key)
                return nullptr;
        }
        return key;
    }

    Key *addChild(const QByteArray &childName, const QByteArray &childClass)
    {
        auto key = std::make_unique<Key>();
        key->name = childName;
        key->keyClass = childClass;
        key->parent = this;
        subKeyByName.insert(folded(childName), key.get());
        subKeys.push_back(std::move(key));
        return subKeys.back().get();
    }

    std::unique_ptr<Key> takeChild(Key *key)
    {
        const auto found = std::find_if(subKeys.begin(), subKeys.end(),
                                        [key](const std::unique_ptr<Key> &entry) { return entry.get() == key; });
        std::unique_ptr<Key> taken = std::move(*found);
        subKeys.erase(found);
        subKeyByName.remove(folded(key->name));
        return taken;
    }

    const NamedValue *findValue(const QByteArray &valueName) const
    {
        const auto found = valueByName.constFind(folded(valueName));
        return found == valueByName.constEnd() ? nullptr : &values[*found];
    }

    void setValue(const QByteArray &valueName, const StoredValue &value)
    {
        const auto found = valueByName.constFind(folded(valueName));
        if (found != valueByName.constEnd()) {
            values[*found].value = value;
            return;
        }
        valueByName.insert(folded(valueName), values.size());
        values.push_back({valueName, value});
    }

    bool removeValue(const QByteArray &valueName)
    {
        const auto found = valueByName.constFind(folded(valueName));
        if (found == valueByName.constEnd())
            return false;
        values.erase(values.begin() + std::ptrdiff_t(*found));
        valueByName.clear();
        for (std::size_t i = 0; i < values.size(); ++i)
            valueByName.insert(folded(values[i].name), i);
        return true;
    }
};

RegistryStore::RegistryStore()
{
    for (int i = 0; i <= int(HKEY_DYN_DATA - HKEY_CLASSES_ROOT); ++i)
        roots.push_back(std::make_unique<Key>());
}

RegistryStore::~RegistryStore() = default;

RegistryStore &RegistryStore::system()
{
    static const std::unique_ptr<RegistryStore> store = [] {
        auto desktop = std::make_unique<RegistryStore>();
        // xdg-open hands the address to whatever browser the desktop names.
        desktop->putValue(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", "", REG_SZ,
                          QByteArray("xdg-open %1", 12));
        return desktop;
    }();
    return *store;
}

RegistryStore::Key *RegistryStore::rootKey(Handle root) const
{
    if (root < HKEY_CLASSES_ROOT || root > HKEY_DYN_DATA)
        return nullptr;
    return roots[root - HKEY_CLASSES_ROOT].get();
}

RegistryStore::Opened RegistryStore::resolve(Handle hKey) const
{
    if (Key *root = rootKey(hKey))
        return {root, KEY_ALL_ACCESS, ERROR_SUCCESS};
    const auto found = handles.constFind(hKey);
    if (found == handles.constEnd())
        return {nullptr, 0, ERROR_INVALID_HANDLE};
    if (found->key->deleted)
        return {nullptr, 0, ERROR_KEY_DELETED};
    return *found;
}

RegistryStore::Status RegistryStore::intercept(Operation operation, Handle hKey)
{
    return interceptor ? interceptor(operation, hKey) : ERROR_SUCCESS;
}

RegistryStore::Opened RegistryStore::enter(Operation operation, Handle hKey, quint32 neededRights,
                                           bool parametersValid)
{
    if (const Status status = intercept(operation, hKey))
        return {nullptr, 0, status};
    if (!parametersValid)
        return {nullptr, 0, ERROR_INVALID_PARAMETER};
    const Opened opened = resolve(hKey);
    if (opened.key && !allowed(opened.rights, neededRights))
        return {nullptr, 0, ERROR_ACCESS_DENIED};
    return opened;
}

RegistryStore::Handle RegistryStore::issue(Key *key, quint32 rights)
{
    const Handle handle = nextHandle;
    nextHandle += 4;
    handles.insert(handle, {key, rights, ERROR_SUCCESS});
    return handle;
}

RegistryStore::Status RegistryStore::RegOpenKeyExA(Handle hKey, const QByteArray &subKey, quint32 options,
                                                   quint32 samDesired, Handle *phkResult)
{
    Q_UNUSED(options);
    const Opened parent = enter(Operation::OpenKey, hKey, AnyRights, phkResult != nullptr);
    if (!parent.key)
        return parent.status;
    const auto names = splitPath(subKey);
    if (!names)
        return ERROR_BAD_PATHNAME;
    // As on the platform, opening a root key itself gives back the root handle.
    if (names->isEmpty() && rootKey(hKey)) {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    Key *key = parent.key->descendant(*names);
    if (!key)
        return ERROR_FILE_NOT_FOUND;
    *phkResult = issue(key, samDesired);
    return ERROR_SUCCESS;
}

RegistryStore::Status RegistryStore::RegCreateKeyExA(Handle hKey, const QByteArray &subKey, quint32 reserved,
                                                     const QByteArray &keyClass, quint32 options, quint32 samDesired,
                                                     Handle *phkResult, quint32 *disposition)
{
    Q_UNUSED(options);
    // The right to create is needed only once a key is missing.
    const Opened parent = enter(Operation::CreateKey, hKey, AnyRights, reserved == 0 && phkResult);
    if (!parent.key)
        return parent.status;
    const auto names = splitPath(subKey);
    if (!names)
        return ERROR_BAD_PATHNAME;
    Key *key = parent.key;
    bool created = false;
    for (const QByteArray &name : *names) {
        if (Key *existing = key->child(name)) {
            key = existing;
            continue;
        }
        if (!created && !allowed(parent.rights, KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        key = key->addChild(name, keyClass);
        created = true;
    }
    *phkResult = issue(key, samDesired);
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// Only the interceptor comes first here: a handle to a deleted key still
// closes, so the handle is not resolved.
RegistryStore::Status RegistryStore::RegCloseKey(Handle hKey)
{
    if (const Status status = intercept(Operation::CloseKey, hKey))
        return status;
    if (rootKey(hKey))
        return ERROR_SUCCESS;
    return handles.remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

RegistryStore::Status RegistryStore::RegQueryValueExA(Handle hKey, const QByteArray &valueName, quint32 *type,
                                                      char *data, quint32 *cbData)
{
    const Opened opened = enter(Operation::QueryValue, hKey, KEY_QUERY_VALUE);
    if (!opened.key)
        return opened.status;
    // Checked only once the key is known to be readable.
    if (data && !cbData)
        return ERROR_INVALID_PARAMETER;
    const Key::NamedValue *found = opened.key->findValue(valueName);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    const quint32 size = quint32(found->value.data.size());
    if (type)
        *type = found->value.type;
    if (data && *cbData < size) {
        *cbData = size;
        return ERROR_MORE_DATA;
    }
    if (data && size > 0)
        std::memcpy(data, found->value.data.constData(), size);
    if (cbData)
        *cbData = size;
    return ERROR_SUCCESS;
}

RegistryStore::Status RegistryStore::RegSetValueExA(Handle hKey, const QByteArray &valueName, quint32 reserved,
                                                    quint32 type, const char *data, quint32 cbData)
{
    const Opened opened = enter(Operation::SetValue, hKey, KEY_SET_VALUE, reserved == 0 && (data || cbData == 0));
    if (!opened.key)
        return opened.status;
    opened.key->setValue(valueName, {type, QByteArray(data, qsizetype(cbData))});
    return ERROR_SUCCESS;
}

RegistryStore::Status RegistryStore::RegEnumValueA(Handle hKey, quint32 index, char *valueName,
                                                   quint32 *cchValueName)
{
    const Opened opened = enter(Operation::EnumValue, hKey, KEY_QUERY_VALUE, valueName && cchValueName);
    if (!opened.key)
        return opened.status;
    if (index >= opened.key->values.size())
        return ERROR_NO_MORE_ITEMS;
    const QByteArray &name = opened.key->values[index].name;
    const quint32 length = quint32(name.size());
    if (length + 1 > *cchValueName)
        return ERROR_MORE_DATA;
    std::memcpy(valueName, name.constData(), length + 1);
    *cchValueName = length;
    return ERROR_SUCCESS;
}

RegistryStore::Status RegistryStore::RegEnumKeyA(Handle hKey, quint32 index, char *name, quint32 cchName)
{
    const Opened opened = enter(Operation::EnumKey, hKey, KEY_ENUMERATE_SUB_KEYS, name != nullptr);
    if (!opened.key)
        return opened.status;
    if (index >= opened.key->subKeys.size())
        return ERROR_NO_MORE_ITEMS;
    const QByteArray &subKeyName = opened.key->subKeys[index]->name;
    const quint32 length = quint32(subKeyName.size());
    if (length + 1 > cchName)
        return ERROR_MORE_DATA;
    std::memcpy(name, subKeyName.constData(), length + 1);
    return ERROR_SUCCESS;
}

RegistryStore::Status RegistryStore::RegDeleteKeyA(Handle hKey, const QByteArray &subKey)
{
    const Opened parent = enter(Operation::DeleteKey, hKey, AnyRights);
    if (!parent.key)
        return parent.status;
    const auto names = splitPath(subKey);
    if (!names)
        return ERROR_BAD_PATHNAME;
    if (names->isEmpty())
        return ERROR_INVALID_PARAMETER;
    Key *key = parent.key->descendant(*names);
    if (!key)
        return ERROR_FILE_NOT_FOUND;
    if (!key->subKeys.empty())
        return ERROR_ACCESS_DENIED;
    std::unique_ptr<Key> removed = key->parent->takeChild(key);
    removed->deleted = true;
    const bool stillNamed = std::any_of(handles.constBegin(), handles.constEnd(),
                                        [key](const Opened &opened) { return opened.key == key; });
    if (stillNamed)
        deletedKeys.push_back(std::move(removed));
    return ERROR_SUCCESS;
}

RegistryStore::Status RegistryStore::RegDeleteValueA(Handle hKey, const QByteArray &valueName)
{
    const Opened opened = enter(Operation::DeleteValue, hKey, KEY_SET_VALUE);
    if (!opened.key)
        return opened.status;
    return opened.key->removeValue(valueName) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

RegistryStore::Key *RegistryStore::keyAt(Handle root, const QByteArray &path) const
{
    Key *key = rootKey(root);
    const auto names = splitPath(path);
    if (!key || !names)
        return nullptr;
    return key->descendant(*names);
}

RegistryStore::Key *RegistryStore::makeKey(Handle root, const QByteArray &path)
{
    Key *key = rootKey(root);
    const auto names = splitPath(path);
    if (!key || !names)
        return nullptr;
    for (const QByteArray &name : *names) {
        Key *existing = key->child(name);
        key = existing ? existing : key->addChild(name, QByteArray());
    }
    return key;
}

void RegistryStore::putKey(Handle root, const QByteArray &path)
{
    makeKey(root, path);
}

void RegistryStore::putValue(Handle root, const QByteArray &path, const QByteArray &name, quint32 type,
                             const QByteArray &data)
{
    if (Key *key = makeKey(root, path))
        key->setValue(name, {type, data});
}

bool RegistryStore::hasKey(Handle root, const QByteArray &path) const
{
    return keyAt(root, path) != nullptr;
}

std::optional<RegistryStore::StoredValue> RegistryStore::storedValue(Handle root, const QByteArray &path,
                                                                     const QByteArray &name) const
{
    const Key *key = keyAt(root, path);
    const Key::NamedValue *found = key ? key->findValue(name) : nullptr;
    if (!found)
        return std::nullopt;
    return found->value;
}

int RegistryStore::openHandleCount() const
{
    return int(handles.size());
}

quint32 RegistryStore::rightsOf(Handle hKey) const
{
    return handles.value(hKey).rights;
}

void RegistryStore::setInterceptor(Interceptor newInterceptor)
{
    interceptor = std::move(newInterceptor);
}
