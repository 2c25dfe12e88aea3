#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

// A fresh folder under /tmp, removed with everything in it at the end of the test.
class CTempFolder {
public:
    CTempFolder() {
        char pattern[] = "/tmp/quillet-platform-XXXXXX";
        m_path = mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~CTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Sets (or unsets, with nullopt) an environment variable for the life of the object.
class CScopedVariable {
public:
    CScopedVariable(const char* name, std::optional<std::string> value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~CScopedVariable() {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};
