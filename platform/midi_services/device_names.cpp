#include "platform/midi_services/device_names.h"

#include "platform/midi_services/midi_services.h"

#include <cstdint>
#include <map>

namespace {
constexpr std::size_t kSuffixLength = 5; // "~" and four hex digits
// Tries with another salt before falling back on the device's place in the list.
constexpr int kSalts = 8;

uint32_t Fnv1a(const std::string& text, int salt) {
    uint32_t hash = 2166136261u ^ static_cast<uint32_t>(salt);
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

std::string Hex4(uint32_t value) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        hex[i] = kDigits[value & 0xF];
    return hex;
}

// Indexes of the names that some other name equals.
std::vector<std::size_t> Colliding(const std::vector<std::string>& names) {
    std::map<std::string, int> uses;
    for (const std::string& name : names)
        ++uses[name];
    std::vector<std::size_t> colliding;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (uses[names[i]] > 1)
            colliding.push_back(i);
    return colliding;
}
} // namespace

std::vector<std::string> UniqueDeviceNames(const std::vector<std::string>& fullNames,
                                           const std::vector<std::string>& keys) {
    std::vector<std::string> names;
    for (const std::string& full : fullNames)
        names.push_back(full.substr(0, kMaxDeviceNameLength));
    const std::size_t kept = kMaxDeviceNameLength - kSuffixLength;
    for (int salt = 0;; ++salt) {
        const std::vector<std::size_t> colliding = Colliding(names);
        if (colliding.empty())
            return names;
        for (std::size_t i : colliding) {
            // Two devices with the same key cannot be told apart by it: their places do.
            const std::string tag = salt < kSalts ? Hex4(Fnv1a(keys[i], salt)) : std::to_string(i);
            names[i] = fullNames[i].substr(0, kept) + "~" + tag;
        }
    }
}
