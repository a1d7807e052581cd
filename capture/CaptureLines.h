#pragma once

#include <cstddef>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The capture list's lines, newest first, as 8-bit text, with O(1) insertion on top and removal at the
// bottom. A line recorded on arrival owns its text; lines loaded from a file point into the file's text,
// which the store keeps alive, so a million loaded lines cost one buffer and a small record each
// rather than a million allocations.
class CaptureLines {
    // Sixteen bytes a line: a loaded million is 16 MB of records, and on a machine where fresh memory
    // is slow to touch every byte of them shows in the time Load takes. The top bit of sizeAndOwned
    // says the store allocated data (a line recorded on arrival) rather than pointing into a text.
    struct Entry {
        const char* data = nullptr;
        std::size_t sizeAndOwned = 0;
        std::size_t Size() const { return sizeAndOwned & ~kOwned; }
        std::string_view View() const { return {data, Size()}; }
    };
    static constexpr std::size_t kOwned = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return it_->View(); }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++it_;
            return before;
        }
        bool operator==(const const_iterator&) const = default;

    private:
        friend class CaptureLines;
        explicit const_iterator(std::deque<Entry>::const_iterator it) : it_(it) {}
        std::deque<Entry>::const_iterator it_;
    };

    CaptureLines() = default;
    CaptureLines(std::initializer_list<std::string_view> lines);
    CaptureLines(const CaptureLines& other);
    CaptureLines& operator=(const CaptureLines& other);
    CaptureLines(CaptureLines&& other) noexcept;
    CaptureLines& operator=(CaptureLines&& other) noexcept;
    ~CaptureLines();

    // Keeps a text of size bytes for the lines that AppendView adds; returns it.
    std::string_view AdoptText(std::unique_ptr<char[]> text, std::size_t size);
    // Adds a line at the bottom without copying it; it must lie inside a text this store adopted.
    void AppendView(std::string_view line) { m_entries.push_back({line.data(), line.size()}); }
    // The same on top.
    void PrependView(std::string_view line) { m_entries.push_front({line.data(), line.size()}); }

    void push_front(std::string_view line);
    void push_back(std::string_view line);
    void pop_back() {
        Release(m_entries.back());
        m_entries.pop_back();
    }
    void clear();

    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    std::string_view operator[](std::size_t i) const { return m_entries[i].View(); }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return const_iterator(m_entries.begin()); }
    const_iterator end() const { return const_iterator(m_entries.end()); }

    bool operator==(const CaptureLines& other) const;

private:
    static Entry Own(std::string_view line);
    template <typename Add> void Insert(std::string_view line, Add add);
    static void Release(const Entry& entry) {
        if (entry.sizeAndOwned & kOwned)
            delete[] entry.data;
    }

    std::deque<Entry> m_entries;
    std::vector<std::unique_ptr<char[]>> m_texts;
};
