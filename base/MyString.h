#pragma once
// The system's own single-byte text string and string list.

class MyString {
public:
    MyString(const char* text = nullptr);
    MyString(const MyString& other);
    ~MyString();

    MyString& set(const char* text);
    MyString& operator=(MyString other) { return set(other.text()); }
    MyString& operator=(const char* text) { return set(text); }

    unsigned long size() const { return ulSize; }
    unsigned long capacity() const { return ulCapacity; }
    char* lock();
    void unlock();

    MyString& append(const char* src, unsigned long offset, unsigned long count);
    MyString& append(const char* src, unsigned long count) { return append(src, 0, count); }
    MyString& append(const char* src);
    MyString& append(const MyString& other) { return append(other.pData, 0, other.ulSize); }
    MyString& append(unsigned char c);
    MyString& operator+=(const char* src) { return append(src); }
    MyString& operator+=(const MyString& other) { return append(other); }
    MyString& appendVal(int v);

    int operator==(const MyString& other) const;
    int operator==(const char* text) const;
    int operator!=(const MyString& other) const;
    int operator!=(const char* text) const;

    // Read-only view of the text for callers that do not change it ("" without a block).
    const char* text() const { return pData ? pData : ""; }

private:
    // An ordinary heap block: pData holds ulCapacity + 1 bytes, the last for the NUL.
    char* pData;
    unsigned long ulSize;
    unsigned long ulCapacity;
    int iLocks;

    int resize(unsigned long newCapacity);
};

int StrCmp(const char* a, const char* b);
unsigned long StrLen(const char* text);
// Copies as much of text as fits into out (size bytes with the NUL) without splitting a
// character of codePage (0: the ANSI code page, which may be double-byte); the bytes copied.
unsigned long StrCopyCut(char* out, unsigned long size, const char* text, unsigned int codePage = 0);
int StringEmpty(const char* text);
int StringEmpty(MyString& text);
int StringToDouble(double& out, const char* text);
int StringToDouble(double& out, MyString& text);
int ValueToString(MyString& out, int value);
int ValueToString(MyString& out, long value);
int ValueToString(MyString& out, long long value);
int ValueToString(MyString& out, double value, int decimals);

class MyStringArray {
public:
    MyStringArray() : apItems(nullptr), iCount(0) {}
    ~MyStringArray() { removeAll(); }
    MyStringArray(const MyStringArray&) = delete;
    MyStringArray& operator=(const MyStringArray&) = delete;

    int add(MyString* item);
    int get(MyString*& out, int index) const;
    void removeAll();
    int count() const { return iCount; }

    MyString** apItems;
    int iCount;
};
