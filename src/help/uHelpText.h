// The popup texts of the help file, read from its "cshelp.txt" through the
// system's compiled-help storage, so the popups have one source whoever shows them.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The bytes of a file stored in a compiled help file, or none when the help file or the
// stored file cannot be read. Files above 4 MB are refused.
std::optional<std::string> ReadCompiledHelpFile(const std::wstring& helpFile, const std::wstring& storedName);

// The entries of a text-popup file: a line ".topic N" starts the text of context number N,
// which runs to the next ".topic" line; its outer blank lines are dropped and its lines
// are kept, joined with CR LF. Topics named by symbols instead of numbers are skipped.
std::map<int32_t, std::wstring> ParsePopupTopics(const std::string& text);

// The popup text of `context` in the help file's "cshelp.txt".
std::optional<std::wstring> ReadPopupText(const std::wstring& helpFile, int32_t context);
