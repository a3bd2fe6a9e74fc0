#pragma once
// Named profiles: each holds one axis assignment per simulator control.

#include "base/MyString.h"
#include "il2/ILDevice.h"
#include "profile/ProfileDev2Axis.h"

class Quorix;
class HwDevice;

class ProfileDev2AxisArray {
public:
    explicit ProfileDev2AxisArray(Quorix& app);
    ~ProfileDev2AxisArray();
    ProfileDev2AxisArray(const ProfileDev2AxisArray&) = delete;
    ProfileDev2AxisArray& operator=(const ProfileDev2AxisArray&) = delete;

    int find(ProfileDev2Axis*& out, IdILDevice id);
    int applyToHwDevice(HwDevice* dev);
    int readConfig(MyString path);
    int saveConfig(MyString path);

    ProfileDev2Axis** items;
    int count;
    Quorix* app;
};

class Profile {
public:
    explicit Profile(Quorix& app);
    ~Profile();
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    int readConfig(MyString path);
    int saveConfig(MyString path);
    int applyToHwDevice(HwDevice* dev) { return dev2Axis.applyToHwDevice(dev); }
    int findByILDev(ProfileDev2Axis*& out, IdILDevice id) { return dev2Axis.find(out, id); }

    Quorix* app;
    int bDeleted;
    MyString name;
    ProfileDev2AxisArray dev2Axis;
    // The key that holds this profile's last complete copy (the name it was read or
    // last saved under); empty while none. A rename that cannot be stored keeps it.
    MyString sStoredName;
};

class ProfileArray {
public:
    explicit ProfileArray(Quorix& app);
    ~ProfileArray();
    ProfileArray(const ProfileArray&) = delete;
    ProfileArray& operator=(const ProfileArray&) = delete;

    int readConfig(MyString path, Profile*& pAct);
    int saveConfig(MyString path, Profile* pAct);
    int checkDoubleName(int& bDouble, MyString& name, Profile* exclude);
    int getFirstNonDeleted(Profile*& out, Profile* exclude);
    int countNonDeleted(int& n);
    // Every assignment of every profile that names controller from names to instead.
    int replaceHwDevGuid(const GUID& from, const GUID& to);
    // Appends a profile the list then owns; 1 if the list cannot grow.
    int add(Profile* profile);

    Profile** items;
    int count;
    Quorix* app;
};
