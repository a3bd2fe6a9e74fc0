#include "profile/Profile.h"

#include "base/MyRegFuncs.h"
#include "profile/ProfileKeys.h"

Profile::Profile(Quorix& application) : app(&application), bDeleted(0), name(), dev2Axis(application), sStoredName() {}

Profile::~Profile() {}

int Profile::readConfig(MyString path) {
    if (!isSingleKeyName(name.text())) return 0;
    path += "\\";
    path += name;
    HKEY key = nullptr;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != 0) return 0;
    closeRegistryKey(key);
    return dev2Axis.readConfig(path);
}

namespace {
int isAssignmentList(void*, const char* name) { return sameKeyName(name, "Dev2Axis"); }
}  // namespace

int Profile::saveConfig(MyString path) {
    // An empty name would write into the list's own key and a backslash would
    // nest the profile below another: either comes back as a different profile.
    if (!isSingleKeyName(name.text())) return 1;
    path += "\\";
    path += name;
    createRegistryKeyIfNotExists(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    int status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status != 0) return status;
    status = dev2Axis.saveConfig(path);
    if (status == 0) status = pruneRegistryKey(key, isAssignmentList, nullptr, nullptr);
    closeRegistryKey(key);
    return status;
}
