#include "il2sim/Il2SimParser.h"

#include <charconv>
#include <cstdio>

namespace {
const int kMaxKeyDigits = 6;
const size_t kMaxValueLength = 32;

enum { SEL_ALL = 115, SEL_LEFT = 119, SEL_RIGHT = 121, KEY_POWER = 81, KEY_PITCH = 93 };

int isSelector(int key) { return key == SEL_ALL || key == SEL_LEFT || key == SEL_RIGHT; }

std::string at(const char* what, size_t pos) { return std::string(what) + " at " + std::to_string(pos); }

// Strict number syntax (sign, digits, fraction, exponent), then the value;
// from_chars is independent of the C locale. 0 ok, 1 not a number.
int parseNumber(double& out, const std::string& text) {
    size_t i = 0, n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 1;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return 1;
    }
    if (i != n) return 1;
    const char* first = text.data();
    const char* last = first + n;
    if (*first == '+') ++first;
    auto r = std::from_chars(first, last, out, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != last) return 1;
    return 0;
}

// Splits into items. 0 ok, 1 refused with reason.
int splitItems(std::vector<Il2SimItem>& items, std::string& reason, const char* data, size_t len) {
    size_t pos = 1;
    while (pos < len) {
        if (data[pos] != '/') {
            reason = at("expected /", pos);
            return 1;
        }
        ++pos;
        size_t keyStart = pos;
        int key = 0;
        while (pos < len && data[pos] != '/' && data[pos] != '\\') {
            if (data[pos] < '0' || data[pos] > '9') {
                reason = at("key not a number", pos);
                return 1;
            }
            if (pos - keyStart >= static_cast<size_t>(kMaxKeyDigits)) {
                reason = at("key too long", keyStart);
                return 1;
            }
            key = key * 10 + (data[pos] - '0');
            ++pos;
        }
        if (pos == keyStart) {
            reason = at("empty key", keyStart);
            return 1;
        }
        Il2SimItem item{key, 0, std::string()};
        if (pos < len && data[pos] == '\\') {
            item.bHasValue = 1;
            size_t valueStart = ++pos;
            while (pos < len && data[pos] != '/') {
                char c = data[pos];
                if (c == '\\') {
                    if (pos + 1 >= len || (data[pos + 1] != '\\' && data[pos + 1] != '/')) {
                        reason = at("bad escape", pos);
                        return 1;
                    }
                    c = data[++pos];
                }
                if (item.sValue.size() >= kMaxValueLength) {
                    reason = at("value too long", valueStart);
                    return 1;
                }
                item.sValue += c;
                ++pos;
            }
            if (item.sValue.empty()) {
                reason = at("empty value", valueStart);
                return 1;
            }
        }
        items.push_back(item);
    }
    return 0;
}

void putSetting(std::vector<Il2SimSetting>& settings, const char* name, double value) {
    for (auto& s : settings) {
        if (s.sName == name) {
            s.dValue = value;  // the last setting of a control in a datagram wins
            return;
        }
    }
    settings.push_back(Il2SimSetting{name, value});
}

// Checks the meaning of the items and fills queries and settings. 0 ok, 1 refused.
int interpret(Il2SimMessage& out) {
    int selector = 0;
    for (const Il2SimItem& item : out.items) {
        std::string key = std::to_string(item.iKey);
        if (item.iKey % 2 == 0) {
            if (selector) {
                out.sError = "selector " + std::to_string(selector) + " before a query";
                return 1;
            }
            bool known = (item.iKey == 2 && !item.bHasValue) ||
                         (item.iKey == 6 && item.bHasValue && item.sValue == "81");
            if (!known) {
                out.sError = "unknown query " + key;
                return 1;
            }
            out.queries.push_back(item);
            continue;
        }
        if (isSelector(item.iKey)) {
            if (item.bHasValue) {
                out.sError = "selector " + key + " takes no value";
                return 1;
            }
            if (selector) {
                out.sError = "two selectors";
                return 1;
            }
            selector = item.iKey;
            continue;
        }
        const char* name = controlName(item.iKey, selector);
        if (!name) {
            if ((item.iKey == KEY_POWER || item.iKey == KEY_PITCH) && !selector)
                out.sError = "setting " + key + " without engine selector";
            else if (selector)
                out.sError = "selector " + std::to_string(selector) + " before setting " + key;
            else
                out.sError = "unknown setting " + key;
            return 1;
        }
        if (!item.bHasValue) {
            out.sError = "setting " + key + " without value";
            return 1;
        }
        double v = 0;
        if (parseNumber(v, item.sValue) != 0) {
            out.sError = "setting " + key + " value not a number";
            return 1;
        }
        if (!(v >= -1.0 && v <= 1.0)) {
            out.sError = "setting " + key + " value out of range";
            return 1;
        }
        putSetting(out.settings, name, v);
        selector = 0;
    }
    if (selector) {
        out.sError = "selector " + std::to_string(selector) + " without setting";
        return 1;
    }
    return 0;
}
}  // namespace

int parseDatagram(Il2SimMessage& out, const char* data, size_t len) {
    out = Il2SimMessage();
    if (len == 0 || !data) {
        out.sError = "empty";
    } else if (len > IL2SIM_MAX_DATAGRAM) {
        out.sError = "oversize " + std::to_string(len) + " bytes";
    } else if (data[0] != 'R') {
        out.sError = "not a request";
    } else if (len == 1) {
        out.sError = "no items";
    } else if (splitItems(out.items, out.sError, data, len) == 0 && interpret(out) == 0) {
        return 0;
    }
    std::string reason = out.sError;
    out = Il2SimMessage();
    out.sError = reason;
    return 1;
}

const char* controlName(int key, int selector) {
    static const struct {
        int iKey;
        int iSelector;
        const char* name;
    } kControls[] = {
        {85, 0, "Ailerons"},
        {91, 0, "Brakes"},
        {87, 0, "Elevator"},
        {83, 0, "Flaps"},
        {KEY_POWER, SEL_ALL, "Power"},
        {KEY_POWER, SEL_LEFT, "Power Left Engines"},
        {KEY_POWER, SEL_RIGHT, "Power Right Engines"},
        {KEY_PITCH, SEL_ALL, "Propeller Pitch"},
        {KEY_PITCH, SEL_LEFT, "Propeller Pitch Left Engines"},
        {KEY_PITCH, SEL_RIGHT, "Propeller Pitch Right Engines"},
        {89, 0, "Rudder"},
        {95, 0, "Trim Ailerons"},
        {97, 0, "Trim Elevator"},
        {99, 0, "Trim Rudder"},
    };
    for (const auto& c : kControls)
        if (c.iKey == key && c.iSelector == selector) return c.name;
    return nullptr;
}

std::string formatValue(double value) {
    char buf[32];
    snprintf(buf, sizeof buf, "%.2f", value);
    std::string s(buf);
    if (s == "-0.00") s = "0.00";
    return s;
}

std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}
