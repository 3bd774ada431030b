// Sets environment variables for the life of one object, then restores them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cvn_test {

class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const std::string& name, const std::optional<std::string>& value) {
        Set(name, value);
    }
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // A value of nullopt removes the variable.
    ScopedEnv& Set(const std::string& name, const std::optional<std::string>& value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace cvn_test
