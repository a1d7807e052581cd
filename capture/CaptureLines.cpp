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

CaptureLines::CaptureLines(CaptureLines&& other) noexcept
    : m_entries(std::move(other.m_entries)), m_texts(std::move(other.m_texts)) {
    other.m_entries.clear();
    other.m_texts.clear();
}

CaptureLines& CaptureLines::operator=(CaptureLines&& other) noexcept {
    if (this != &other) {
        clear();
        m_entries.swap(other.m_entries);
        m_texts.swap(other.m_texts);
    }
    return *this;
}

CaptureLines::~CaptureLines() {
    clear();
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
    char* data = new char[line.size()];
    if (!line.empty())
        std::memcpy(data, line.data(), line.size());
    return {data, line.size() | kOwned};
}

// The copy is freed again if the deque cannot take its record.
template <typename Add> void CaptureLines::Insert(std::string_view line, Add add) {
    const Entry entry = Own(line);
    try {
        add(entry);
    } catch (...) {
        Release(entry);
        throw;
    }
}

void CaptureLines::push_front(std::string_view line) {
    Insert(line, [this](const Entry& entry) { m_entries.push_front(entry); });
}

void CaptureLines::push_back(std::string_view line) {
    Insert(line, [this](const Entry& entry) { m_entries.push_back(entry); });
}

void CaptureLines::clear() {
    for (const Entry& entry : m_entries)
        Release(entry);
    m_entries.clear();
    m_texts.clear();
}

bool CaptureLines::operator==(const CaptureLines& other) const {
    return std::equal(begin(), end(), other.begin(), other.end());
}
