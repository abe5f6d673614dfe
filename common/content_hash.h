#pragma once
// FNV-1a over bytes: a short, stable name that tells different contents (or
// different paths) apart. Not for security.

#include <cstdint>
#include <string_view>

namespace vlm {

inline std::uint32_t ContentHash(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

}  // namespace vlm
