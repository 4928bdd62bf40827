// What the "url" button may hand to the shell: web pages only. The field can hold anything (a
// path, a share, another program's protocol), typed by the user, pasted from another copy's
// "KEYRA" entry or read from a planted initial file; the shell would run each of them. Portable.
#pragma once
#include <string>
#include <string_view>

struct KWebAddress {
    bool open = false;     // false: not a web page, nothing is opened
    std::u16string address;  // what the shell gets when `open`
};

// http: and https: addresses as they are (a space or a quote, which could end the argument of
// a browser's command line, written as %20 and %22); a bare host name such as
// "bank.example.jp" or "www.example.com/login" with "https://" in front. Anything else (a
// path, a share, a single word, another scheme) is not opened.
KWebAddress WebAddress(std::u16string_view field);

// The message when the field is not opened; `copied` when the text is on the clipboard.
std::u16string NotOpenedText(bool copied);
