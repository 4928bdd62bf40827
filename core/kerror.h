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

// A file that exists but cannot be opened, read, created or written: which file, and why (the
// system's text). Whoever knows what was being done says so around them.
class KFileError : public KError {
public:
    KFileError(std::u16string path, std::u16string cause)
        : KError(cause + u"\r\n" + path), path_(std::move(path)), cause_(std::move(cause)) {}
    const std::u16string& Path() const noexcept { return path_; }
    const std::u16string& Cause() const noexcept { return cause_; }

private:
    std::u16string path_;
    std::u16string cause_;
};
