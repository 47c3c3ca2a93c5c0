#pragma once
// Puts a test's context into a language the way the core sees it: the
// language index and the texts of that language's file, without touching
// the panels (SetLanguage does that too).
#include <gtest/gtest.h>

#include <string>

#include "app/localize.h"
#include "context/context.h"

namespace bx::testing_lang {

// The texts of a language's file; empty (and a failure) when it cannot be read.
inline LanguageData Texts(int language) {
  LanguageData data;
  std::string error;
  EXPECT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, language), data, error)) << error;
  return data;
}

inline void UseLanguage(Context& ctx, int language) {
  ctx.app.language = language;
  std::string error;
  ASSERT_TRUE(ParseLanguageFile(LanguageFilePath(BX_RESOURCE_DIR, language), ctx.app.texts, error)) << error;
}

}  // namespace bx::testing_lang
