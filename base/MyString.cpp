#include "base/MyString.h"

#include <windows.h>

#include <clocale>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const unsigned long kSpare = 16;  // spare characters kept after every (re)size
}

MyString::MyString(const char* text) : pData(nullptr), ulSize(0), ulCapacity(0), iLocks(0) {
    set(text);
}

MyString::MyString(const MyString& other) : pData(nullptr), ulSize(0), ulCapacity(0), iLocks(0) {
    set(other.text());
}

MyString::~MyString() { free(pData); }

// Sizes the block to newCapacity + 1 bytes, zero-filling what it gains. 0 ok, 1 failed.
int MyString::resize(unsigned long newCapacity) {
    char* p = static_cast<char*>(realloc(pData, static_cast<size_t>(newCapacity) + 1));
    if (!p) return 1;
    if (!pData) {
        memset(p, 0, static_cast<size_t>(newCapacity) + 1);
    } else if (newCapacity > ulCapacity) {
        memset(p + ulCapacity + 1, 0, newCapacity - ulCapacity);
    }
    pData = p;
    ulCapacity = newCapacity;
    return 0;
}

MyString& MyString::set(const char* text) {
    unsigned long n = StrLen(text);
    if (!pData || ulCapacity != n + kSpare) {
        // Copy first: text may point into our own block, which resize can move.
        char* copy = nullptr;
        if (n > 0 && pData && text >= pData && text <= pData + ulCapacity) {
            copy = static_cast<char*>(malloc(n));
            if (!copy) return *this;
            memcpy(copy, text, n);
            text = copy;
        }
        if (resize(n + kSpare) != 0) {
            free(copy);
            return *this;
        }
        ulSize = 0;
        pData[0] = '\0';
        if (n > 0) append(text, 0, n);
        free(copy);
        return *this;
    }
    if (n > 0) memmove(pData, text, n);
    ulSize = n;
    pData[n] = '\0';
    return *this;
}

char* MyString::lock() {
    if (!pData) return nullptr;
    ++iLocks;
    return pData;
}

void MyString::unlock() {
    if (iLocks > 0) --iLocks;
}

MyString& MyString::append(const char* src, unsigned long offset, unsigned long count) {
    if (!pData || !src || count == 0) return *this;
    unsigned long len = ulSize + count;
    if (len < ulSize || len > ULONG_MAX - kSpare) return *this;  // the size or the block would wrap
    if (len > ulCapacity) {
        // src may lie in our own block; remember where before it moves.
        bool inside = src >= pData && src <= pData + ulCapacity;
        size_t at = inside ? static_cast<size_t>(src - pData) : 0;
        if (resize(len + kSpare) != 0) return *this;
        if (inside) src = pData + at;
    }
    memmove(pData + ulSize, src + offset, count);
    ulSize = len;
    pData[len] = '\0';
    return *this;
}

MyString& MyString::append(const char* src) { return append(src, 0, StrLen(src)); }

MyString& MyString::append(unsigned char c) {
    if (c == 0) return *this;
    char ch = static_cast<char>(c);
    return append(&ch, 0, 1);
}

MyString& MyString::appendVal(int v) {
    ValueToString(*this, v);
    return *this;
}

int MyString::operator==(const MyString& other) const { return StrCmp(text(), other.text()) == 0; }
int MyString::operator==(const char* t) const { return StrCmp(text(), t) == 0; }
int MyString::operator!=(const MyString& other) const { return StrCmp(text(), other.text()); }
int MyString::operator!=(const char* t) const { return StrCmp(text(), t); }

int StrCmp(const char* a, const char* b) {
    if (!a && !b) return 0;
    if (!a) return -static_cast<unsigned char>(b[0]);
    if (!b) return static_cast<unsigned char>(a[0]);
    return strcmp(a, b);
}

unsigned long StrLen(const char* text) { return text ? static_cast<unsigned long>(strlen(text)) : 0; }

unsigned long StrCopyCut(char* out, unsigned long size, const char* text, unsigned int codePage) {
    if (size == 0) return 0;
    unsigned long n = 0;
    for (const char* p = text; p && *p;) {
        p = CharNextExA(static_cast<WORD>(codePage), p, 0);
        if (static_cast<unsigned long>(p - text) >= size) break;
        n = static_cast<unsigned long>(p - text);
    }
    if (n) memcpy(out, text, n);
    out[n] = '\0';
    return n;
}

int StringEmpty(const char* text) {
    if (!text) return 1;
    for (; *text; ++text) {
        char c = *text;
        if (c != '\t' && c != '\n' && c != '\r' && c != ' ') return 0;
    }
    return 1;
}

int StringEmpty(MyString& text) { return StringEmpty(text.text()); }

// Parses like atof in the "C" locale, whatever locale the process runs in: the
// accepted prefix is found here and handed to strtod with the locale's own point.
int StringToDouble(double& out, const char* text) {
    out = 0.0;
    if (!text) return 0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (*p >= '0' && *p <= '9') { ++p; ++digits; }
    const char* point = nullptr;
    if (*p == '.') {
        point = p++;
        while (*p >= '0' && *p <= '9') { ++p; ++digits; }
    }
    if (digits == 0) return 0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9') ++e;
            p = e;
        }
    }
    size_t n = static_cast<size_t>(p - start);
    const char* dp = localeconv()->decimal_point;
    size_t dpLen = (dp && *dp) ? strlen(dp) : 1;
    char small[128];
    char* buf = n + dpLen < sizeof small ? small : static_cast<char*>(malloc(n + dpLen + 1));
    if (!buf) return 0;
    size_t k = 0;
    for (const char* q = start; q < p; ++q) {
        if (q == point && dp && *dp) {
            memcpy(buf + k, dp, dpLen);
            k += dpLen;
        } else {
            buf[k++] = *q;
        }
    }
    buf[k] = '\0';
    out = strtod(buf, nullptr);
    if (buf != small) free(buf);
    return 0;
}

int StringToDouble(double& out, MyString& text) { return StringToDouble(out, text.text()); }

int ValueToString(MyString& out, long long value) {
    char buf[24];
    int i = sizeof buf;
    buf[--i] = '\0';
    unsigned long long mag = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                       : static_cast<unsigned long long>(value);
    do {
        buf[--i] = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag);
    if (value < 0) buf[--i] = '-';
    out.append(buf + i);
    return 0;
}

int ValueToString(MyString& out, int value) { return ValueToString(out, static_cast<long long>(value)); }
int ValueToString(MyString& out, long value) { return ValueToString(out, static_cast<long long>(value)); }

namespace {
// Writes the decimal digits of m * 2^e (e >= 0) to dst and returns their count.
// Base-10^9 limbs, least significant first: the largest double needs 35.
int wholeDigits(char* dst, unsigned long long m, int e) {
    unsigned int limb[40];
    int n = 0;
    do {
        limb[n++] = static_cast<unsigned int>(m % 1000000000u);
        m /= 1000000000u;
    } while (m);
    while (e > 0) {
        int step = e < 29 ? e : 29;  // a limb shifted by 29 bits plus the carry fits 64 bits
        e -= step;
        unsigned long long carry = 0;
        for (int j = 0; j < n; ++j) {
            unsigned long long v = (static_cast<unsigned long long>(limb[j]) << step) + carry;
            limb[j] = static_cast<unsigned int>(v % 1000000000u);
            carry = v / 1000000000u;
        }
        for (; carry; carry /= 1000000000u) limb[n++] = static_cast<unsigned int>(carry % 1000000000u);
    }
    int len = 0;
    char top[10];
    int t = 0;
    for (unsigned int v = limb[n - 1]; v || t == 0; v /= 10) top[t++] = static_cast<char>('0' + v % 10);
    while (t) dst[len++] = top[--t];
    for (int j = n - 2; j >= 0; --j) {
        for (int d = 8; d >= 0; --d, limb[j] /= 10) dst[len + d] = static_cast<char>('0' + limb[j] % 10);
        len += 9;
    }
    return len;
}
}  // namespace

// Exact decimal expansion of the double's binary value, so halfway cases are
// judged on the stored value (1.005 lies just below and gives "1.00") at every
// magnitude and for any count of decimals, and the point never follows the locale.
int ValueToString(MyString& out, double value, int decimals) {
    if (std::isnan(value)) { out.append("nan"); return 0; }
    if (std::isinf(value)) { out.append(value < 0 ? "-inf" : "inf"); return 0; }
    if (decimals <= 0) {
        double t = std::trunc(value);
        int v = t >= 2147483647.0 ? INT_MAX : t <= -2147483648.0 ? INT_MIN : static_cast<int>(t);
        return ValueToString(out, v);
    }
    int exp2 = 0;
    double f = std::frexp(std::fabs(value), &exp2);
    unsigned long long m = static_cast<unsigned long long>(std::ldexp(f, 53));  // exact: 53 bits at most
    int e = exp2 - 53;                                                           // |value| = m * 2^e
    unsigned long long whole = m;
    int wholeShift = 0;
    // The fraction as a binary fraction of nw 32-bit words, least significant first.
    unsigned int w[40] = {};
    int nw = 0;
    if (e >= 0) {
        wholeShift = e;
    } else {
        int k = -e;  // at most 1126
        whole = k < 64 ? m >> k : 0;
        unsigned long long frac = k < 64 ? m & ((1ULL << k) - 1) : m;
        nw = (k + 31) / 32;
        unsigned __int128 v = static_cast<unsigned __int128>(frac) << (nw * 32 - k);  // below 2^84
        for (int j = 0; j < 3; ++j) w[j] = static_cast<unsigned int>(v >> (32 * j));
    }

    const size_t lead = 1 + 320 + 1;  // sign, whole digits, point
    size_t total = lead + static_cast<size_t>(decimals);
    char small[lead + 32];
    char* buf = total <= sizeof small ? small : static_cast<char*>(malloc(total));
    if (!buf) return 0;  // as any failed append: nothing added
    char* digits = buf + lead;
    // Each multiplication by 10 pushes the next digit out of the top word; after
    // 32 * nw of them the fraction is spent and only zeros follow.
    int gen = decimals < nw * 32 ? decimals : nw * 32;
    for (int i = 0; i < gen; ++i) {
        unsigned long long carry = 0;
        for (int j = 0; j < nw; ++j) {
            unsigned long long x = static_cast<unsigned long long>(w[j]) * 10 + carry;
            w[j] = static_cast<unsigned int>(x);
            carry = x >> 32;
        }
        digits[i] = static_cast<char>('0' + carry);
    }
    memset(digits + gen, '0', static_cast<size_t>(decimals - gen));
    if (nw > 0 && (w[nw - 1] & 0x80000000u)) {  // half a last place or more left: away from zero
        int i = decimals - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) ++digits[i];
        else ++whole;  // below 2^53 here, so no overflow
    }
    char wholeText[320];
    int wl = wholeDigits(wholeText, whole, wholeShift);
    char* start = digits - 1 - wl;
    start[wl] = '.';
    memcpy(start, wholeText, static_cast<size_t>(wl));
    if (std::signbit(value)) *--start = '-';
    out.append(start, 0, static_cast<unsigned long>(digits + decimals - start));
    if (buf != small) free(buf);
    return 0;
}

int MyStringArray::add(MyString* item) {
    MyString** p = static_cast<MyString**>(realloc(apItems, sizeof(MyString*) * (static_cast<size_t>(iCount) + 1)));
    if (!p) return 1;
    apItems = p;
    apItems[iCount++] = item;
    return 0;
}

int MyStringArray::get(MyString*& out, int index) const {
    out = nullptr;
    if (index < 0 || index >= iCount) return 1;
    out = apItems[index];
    return out ? 0 : 2;
}

void MyStringArray::removeAll() {
    for (int i = 0; i < iCount; ++i) delete apItems[i];
    free(apItems);
    apItems = nullptr;
    iCount = 0;
}
