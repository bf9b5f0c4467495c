// Portable. The texts of a fleet's reports held once: programs, verdicts, messages, component files,
// places, versions and sizes repeat across thousands of reports, and each report keeps only ids.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kit::fleet {

using TextId = std::uint32_t;
inline constexpr TextId kNoText = UINT32_MAX;

class TextPool {
public:
  TextPool() { Id(L""); }
  // The map's keys view the deque's strings, which never move: no copies, moves keep them valid.
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;
  TextPool(TextPool&&) = default;
  TextPool& operator=(TextPool&&) = default;

  TextId Id(std::wstring_view text) {
    if (const auto found = m_ids.find(text); found != m_ids.end()) return found->second;
    const auto id = static_cast<TextId>(m_texts.size());
    m_ids.emplace(m_texts.emplace_back(text), id);
    return id;
  }
  const std::wstring& Text(TextId id) const { return m_texts[id]; }
  std::size_t Size() const { return m_texts.size(); }

private:
  std::deque<std::wstring> m_texts;
  std::unordered_map<std::wstring_view, TextId> m_ids;
};

}  // namespace kit::fleet
