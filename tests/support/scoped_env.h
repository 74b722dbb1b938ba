// Environment variables set for one test and put back afterwards.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace tsuzuri::test {

class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // Sets the variable, or unsets it for a null value.
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }

    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->had) {
                ::setenv(it->name.c_str(), it->value.c_str(), 1);
            } else {
                ::unsetenv(it->name.c_str());
            }
        }
    }

private:
    struct Saved {
        std::string name;
        bool had;
        std::string value;
    };
    std::vector<Saved> saved_;
};

}  // namespace tsuzuri::test
