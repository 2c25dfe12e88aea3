#pragma once

#include <stdexcept>
#include <string>

// A failed read or write on a file (disk full, device error). Carries errno.
class CFileError : public std::runtime_error {
public:
    CFileError(const std::string& what, int error) : std::runtime_error(what), m_error(error) {}
    int Error() const { return m_error; }

private:
    int m_error;
};
