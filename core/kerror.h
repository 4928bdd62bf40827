// Errors the program shows with its standard error display (a message box with the text).
#pragma once
#include <stdexcept>
#include <string>

class KError : public std::runtime_error {
public:
    explicit KError(std::u16string message)
        : std::runtime_error("Keyra error"), message_(std::move(message)) {}
    const std::u16string& Message() const noexcept { return message_; }

private:
    std::u16string message_;
};

// A file that exists but cannot be opened, read, created or written.
class KFileError : public KError {
public:
    using KError::KError;
};
