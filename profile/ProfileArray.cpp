#include <cstdlib>
#include <cstring>
#include <new>

#include "app/Quorix.h"
#include "base/MyRegFuncs.h"
#include "profile/Profile.h"
#include "profile/ProfileKeys.h"

ProfileArray::ProfileArray(Quorix& application) : items(nullptr), count(0), app(&application) {}

ProfileArray::~ProfileArray() {
    for (int i = 0; i < count; ++i) delete items[i];
    free(items);
    items = nullptr;
    count = 0;
}

int ProfileArray::add(Profile* profile) {
    if (!profile) return 1;
    Profile** grown = static_cast<Profile**>(realloc(items, sizeof(Profile*) * (static_cast<size_t>(count) + 1)));
    if (!grown) return 1;
    items = grown;
    items[count++] = profile;
    return 0;
}

int ProfileArray::checkDoubleName(int& bDouble, MyString& name, Profile* exclude) {
    // Letter case does not count: the registry would store both under one key.
    bDouble = 0;
    for (int i = 0; i < count && !bDouble; ++i)
        if (items[i] && items[i] != exclude && sameKeyName(items[i]->name.text(), name.text())) bDouble = 1;
    return 0;
}

int ProfileArray::getFirstNonDeleted(Profile*& out, Profile* exclude) {
    out = nullptr;
    for (int i = 0; i < count; ++i) {
        if (items[i] && !items[i]->bDeleted && items[i] != exclude) {
            out = items[i];
            return 0;
        }
    }
    return 1;
}

int ProfileArray::replaceHwDevGuid(const GUID& from, const GUID& to) {
    for (int i = 0; i < count; ++i) {
        ProfileDev2AxisArray& list = items[i]->dev2Axis;
        for (int k = 0; k < list.count; ++k) {
            ProfileDev2Axis* a = list.items[k];
            if (a && memcmp(&a->guidHwDev, &from, sizeof from) == 0) a->guidHwDev = to;
        }
    }
    return 0;
}

int ProfileArray::countNonDeleted(int& n) {
    n = 0;
    for (int i = 0; i < count; ++i)
        if (items[i] && !items[i]->bDeleted) ++n;
    return 0;
}

int ProfileArray::readConfig(MyString path, Profile*& pAct) {
    pAct = nullptr;
    path += "\\Profiles";
    HKEY key = nullptr;
    MyString sAct;
    MyStringArray names;
    int status = 0;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) == 0) {
        status = getRegistryString(sAct, key, "sActProfile", "");
        if (status == 0) status = enumRegKeys(&names, key);
    }
    for (int i = 0; i < names.iCount && status == 0; ++i) {
        const char* name = names.apItems[i]->text();
        if (!opensSubKey(key, name)) {
            // Listed with "?" for characters outside the code page: read under that name the
            // profile would come back empty and be stored anew. Skipped, its key stays as it is.
            if (app->hLogFile != INVALID_HANDLE_VALUE) {
                MyString line("Profile key not opened under its listed name, skipped: ");
                line += name;
                line += "\r\n";
                app->addLog(line);
            }
            continue;
        }
        Profile* profile = new (std::nothrow) Profile(*app);
        if (!profile) {
            status = 1;
            break;
        }
        profile->name = name;
        profile->sStoredName = profile->name;
        status = profile->readConfig(path);
        if (status == 0) status = add(profile);
        if (status != 0) {
            delete profile;
            break;
        }
        if (profile->name == sAct) pAct = profile;
    }
    if (status == 0) {
        if (count == 0) {
            // First start (or only keys that cannot be read): one profile to hold the user's assignments.
            Profile* profile = new (std::nothrow) Profile(*app);
            status = profile ? 0 : 1;
            if (profile) profile->name = "New Profile";
            if (status == 0) status = add(profile);
            if (status == 0) pAct = profile;
            else delete profile;
        } else if (!pAct) {
            pAct = items[0];
        }
    }
    closeRegistryKey(key);
    return status;
}

namespace {
struct SaveScope {
    ProfileArray* list;
    Profile* pAct;
};

// Sub-keys that hold a kept profile's last complete copy: its new key once stored,
// else the old one it still lives in.
int isKeptProfile(void* ctx, const char* name) {
    ProfileArray* list = static_cast<SaveScope*>(ctx)->list;
    for (int i = 0; i < list->count; ++i)
        if (list->items[i] && !list->items[i]->bDeleted && sameKeyName(list->items[i]->sStoredName.text(), name))
            return 1;
    return 0;
}

int isActiveValue(void* ctx, const char* name) {
    return static_cast<SaveScope*>(ctx)->pAct && sameKeyName(name, "sActProfile");
}

int nameInList(const MyStringArray& names, const char* name) {
    for (int i = 0; i < names.iCount; ++i)
        if (names.apItems[i] && sameKeyName(names.apItems[i]->text(), name)) return 1;
    return 0;
}

// A key name that neither the stored keys nor the list's profiles use.
MyString spareKeyName(const MyStringArray& stored, ProfileArray& list) {
    for (int n = 1;; ++n) {
        MyString candidate("~renaming ");
        candidate.appendVal(n);
        int bUsed = nameInList(stored, candidate.text());
        if (!bUsed) list.checkDoubleName(bUsed, candidate, nullptr);
        if (!bUsed) return candidate;
    }
}

// A profile whose stored key differs from its name in letter case only (the
// registry would keep the old spelling): it is written under a spare name
// first, so that some copy is stored at every moment, then the old key goes,
// the profile is written under its own name and the spare copy goes.
int saveRespelled(HKEY& key, MyString& path, Profile& profile, const char* storedName, MyString spare) {
    MyString name(profile.name);
    profile.name = spare;
    int status = profile.saveConfig(path);
    profile.name = name;
    if (status != 0) {
        removeRegistrySubKey(key, spare.text());  // a partial copy; the old key still holds the profile
        return status;
    }
    profile.sStoredName = spare;  // pruning keeps the complete copy whatever fails next
    status = removeRegistrySubKey(key, storedName);
    if (status == 0) status = profile.saveConfig(path);
    if (status == 0) profile.sStoredName = name;
    if (status == 0) status = removeRegistrySubKey(key, spare.text());
    return status;
}

int saveProfile(HKEY& key, MyString& path, const MyStringArray& stored, ProfileArray& list, Profile& profile) {
    for (int k = 0; k < stored.iCount; ++k) {
        const char* storedName = stored.apItems[k]->text();
        if (sameKeyName(storedName, profile.name.text()) && StrCmp(storedName, profile.name.text()) != 0)
            return saveRespelled(key, path, profile, storedName, spareKeyName(stored, list));
    }
    return profile.saveConfig(path);
}
}  // namespace

int ProfileArray::saveConfig(MyString path, Profile* pAct) {
    path += "\\Profiles";
    createRegistryKeyIfNotExists(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    int status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status != 0) return status;

    // Everything is written before anything is removed, so a save that fails
    // part-way leaves every profile stored before still stored. A profile that
    // cannot be stored costs only itself: the others are written, and what no
    // kept profile needs is removed; the first failure is reported.
    MyStringArray stored;
    status = enumRegKeys(&stored, key);
    int bActStored = 0;
    for (int i = 0; i < count; ++i) {
        if (items[i] && items[i]->bDeleted) continue;
        int s = items[i] ? saveProfile(key, path, stored, *this, *items[i]) : 2;
        if (s == 0) items[i]->sStoredName = items[i]->name;
        if (s == 0 && items[i] == pAct) bActStored = 1;
        if (status == 0) status = s;
    }
    // Naming a key that was not written would lose the choice at the next start;
    // left as it was, it still names where the active profile was stored before.
    if (bActStored) {
        int s = setRegistryString(key, "sActProfile", pAct->name);
        if (status == 0) status = s;
    }
    SaveScope scope = {this, pAct};
    int s = pruneRegistryKey(key, isKeptProfile, isActiveValue, &scope);
    if (status == 0) status = s;
    closeRegistryKey(key);
    return status;
}
