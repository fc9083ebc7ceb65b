#pragma once
// Checks shared by the tag parser tests and the corpus test.
#include <gtest/gtest.h>

#include "engine/Smartstructure.h"

// Every node's tokens lie inside its parent's, and no node is deeper than the
// limit; returns the number of nodes checked.
inline int ExpectNodesInsideParents(const CSmartStructure& structure,
                                    const CSmartDataStructure& node) {
  int count = 1;
  EXPECT_LE(node.depth, SmartMaxDepth);
  for (const auto& child : node.children) {
    EXPECT_EQ(child->depth, node.depth + 1);
    EXPECT_GT(child->first, node.first);
    EXPECT_LT(child->first, structure.tokenCount);
    if (child->last >= 0) {
      EXPECT_GE(child->last, child->first);
      EXPECT_LE(child->last, node.last >= 0 ? node.last : structure.tokenCount);
    }
    count += ExpectNodesInsideParents(structure, *child);
  }
  return count;
}
