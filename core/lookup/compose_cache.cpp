#include "core/lookup/compose_cache.h"

namespace qv {

const LookupResult* CComposeCache::Find(const std::wstring& captured) {
  const std::uint64_t generation = m_generation();
  if (generation != m_current || generation == kUncacheable) {
    m_order.clear();
    m_index.clear();
    m_current = generation;
    return nullptr;
  }
  auto it = m_index.find(captured);
  if (it == m_index.end()) return nullptr;
  m_order.splice(m_order.begin(), m_order, it->second);
  return &it->second->second;
}

void CComposeCache::Add(const std::wstring& captured, LookupResult result) {
  if (m_current == kUncacheable) return;
  if (auto it = m_index.find(captured); it != m_index.end()) {
    m_order.erase(it->second);
    m_index.erase(it);
  }
  m_order.emplace_front(captured, std::move(result));
  m_index.emplace(captured, m_order.begin());
  if (m_order.size() > kCapacity) {
    m_index.erase(m_order.back().first);
    m_order.pop_back();
  }
}

std::size_t CComposeCache::MemoryBytes() const {
  std::size_t bytes = 0;
  for (const Entry& e : m_order)
    bytes += 2 * (e.first.capacity() + 1) * sizeof(wchar_t) +  // the text, kept twice
             e.second.MemoryBytes() + sizeof(Entry) - sizeof(LookupResult) + 4 * sizeof(void*);
  return bytes;
}

}  // namespace qv
