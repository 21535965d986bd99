// The results composed lately, by captured text: a tick of the hover timer over the same word,
// or the pointer going back and forth between words, composes nothing. The cache holds a few
// hundred results, forgets the least recently used first, and is emptied whenever the data the
// composition reads may have changed (its generation, given by the caller, moves).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/lookup/lookup_result.h"

namespace qv {

class CComposeCache {
 public:
  static constexpr std::size_t kCapacity = 256;

  // `generation`: a number that changes whenever the composition's data or configuration
  // change; nullopt-like "no cache" is expressed by kUncacheable.
  static constexpr std::uint64_t kUncacheable = ~std::uint64_t{0};
  explicit CComposeCache(std::function<std::uint64_t()> generation)
      : m_generation(std::move(generation)) {}

  // The result kept for the text, or null. Asks for the generation once per call.
  const LookupResult* Find(const std::wstring& captured);
  void Add(const std::wstring& captured, LookupResult result);

  std::size_t Size() const { return m_order.size(); }
  std::size_t MemoryBytes() const;

 private:
  using Entry = std::pair<std::wstring, LookupResult>;
  std::function<std::uint64_t()> m_generation;
  std::uint64_t m_current = kUncacheable;
  std::list<Entry> m_order;  // most recently used first
  std::unordered_map<std::wstring, std::list<Entry>::iterator> m_index;
};

}  // namespace qv
