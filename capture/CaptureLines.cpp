#include "capture/CaptureLines.h"

#include <algorithm>
#include <cstring>

CaptureLines::CaptureLines(std::initializer_list<std::string_view> lines) {
    for (const std::string_view line : lines)
        push_back(line);
}

CaptureLines::CaptureLines(const CaptureLines& other) {
    for (const std::string_view line : other)
        push_back(line);
}

CaptureLines& CaptureLines::operator=(const CaptureLines& other) {
    if (this != &other) {
        CaptureLines copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::string_view CaptureLines::AdoptText(std::unique_ptr<char[]> text, std::size_t size) {
    m_texts.push_back(std::move(text));
    return {m_texts.back().get(), size};
}

CaptureLines::Entry CaptureLines::Own(std::string_view line) {
    Entry entry;
    entry.owned = std::make_unique_for_overwrite<char[]>(line.size());
    if (!line.empty())
        std::memcpy(entry.owned.get(), line.data(), line.size());
    entry.data = entry.owned.get();
    entry.size = line.size();
    return entry;
}

void CaptureLines::push_front(std::string_view line) {
    m_entries.push_front(Own(line));
}

void CaptureLines::push_back(std::string_view line) {
    m_entries.push_back(Own(line));
}

void CaptureLines::clear() {
    m_entries.clear();
    m_texts.clear();
}

bool CaptureLines::operator==(const CaptureLines& other) const {
    return std::equal(begin(), end(), other.begin(), other.end());
}
