#pragma once

// What else a package needs, in the order to install it: the XML's requirements and the
// tags' dependency= (ids of other packages), and depends= constraints ("ad>=1.70", "quoth",
// a bare sha256) matched against what packages provide ("ad=1.71") or their id and version.
// Every problem (a cycle, a missing package, no version that fits) is found before anything
// is written.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentPackage.h"

namespace fx {

struct TInstallOrder {
  std::vector<std::size_t> Order;     // dependencies first, the wanted package last
  std::vector<std::string> Problems;  // empty when the order can be installed
  bool Ok() const { return Problems.empty(); }
};

// Versions compared part by part between dots, numbers as numbers ("1.8" < "1.70" < "1.71"),
// other parts as text; a missing part is less than any ("2" < "2.0.1"): -1, 0 or 1.
int CompareVersions(std::string_view a, std::string_view b);

// `installed(i)` tells whether package i is installed already: it is then not installed
// again, and it satisfies what it provides.
TInstallOrder PlanInstall(const std::vector<TContentPackage>& packages, std::size_t wanted,
                          const std::function<bool(std::size_t)>& installed);

// The installed packages that `removed` needed and that no other installed package still
// needs (directly or through another one), to offer for removal with it. A package the user
// installed by itself (`askedFor`) is never offered, and what it needs stays.
std::vector<std::size_t> UnneededAfterRemoving(const std::vector<TContentPackage>& packages,
                                               std::size_t removed,
                                               const std::function<bool(std::size_t)>& installed,
                                               const std::function<bool(std::size_t)>& askedFor);

}  // namespace fx
