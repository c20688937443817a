// Scale fixtures for the benchmarks: invented catalogs of any size in the
// shipped files' layout (CP932, CR LF, follow-up weapon rows, quoted remarks,
// hexadecimal prices, lines without their last column) and unit files of any
// number of rows that name entries of those catalogs.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace krbench {

// The bytes of "option.csv", "weapon.csv" or "move.csv" with `entries` entry
// lines after the header. The same size and seed give the same bytes.
std::string OptionCatalogText(std::size_t entries);
std::string WeaponCatalogText(std::size_t entries);
std::string MoveCatalogText(std::size_t entries);

// A unit file (.kr) with `rows` equipment rows (a tenth moves, three tenths
// options, the rest weapons) whose names are entries of the catalogs of
// `catalogEntries` entries per kind.
std::string UnitFileText(std::size_t rows, std::size_t catalogEntries);

// Writes the three catalogs into `directory` (created when missing).
void WriteCatalogs(const std::filesystem::path& directory, std::size_t entries);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The fixture tree: catalogs-<n>/ for n = 0 (header lines only), 1000,
// 10000, 100000 and 1000000, and units/unit-<rows>.kr for 10, 100, 1000 and
// 10000 rows naming entries of the 100,000-entry catalogs.
void WriteFixtureTree(const std::filesystem::path& root);
std::filesystem::path CatalogDirectory(const std::filesystem::path& root, std::size_t entries);
std::filesystem::path UnitFile(const std::filesystem::path& root, std::size_t rows);
inline constexpr std::size_t LargestCatalog = 100000;
inline constexpr std::size_t HugeCatalog = 1000000;

}  // namespace krbench
