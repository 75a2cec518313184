#include "Common/ZVTransformerClasses.h"

#include "Common/ZV1IfNot0.h"
#include "Common/ZVDateTagElaborated.h"
#include "Common/ZVDictToNSColor.h"
#include "Common/ZVEmptyTrimmedString.h"
#include "Common/ZVFilledTrimmedString.h"
#include "Common/ZVHeightForFontSize.h"
#include "Common/ZVImgData.h"
#include "Common/ZVIntToBool.h"
#include "Common/ZVNameFromBookmark.h"
#include "Common/ZVNegateIntToBool.h"
#include "Common/ZVNumberBoolToNumberNum.h"
#include "Common/ZVOneIfOneInArray.h"
#include "Common/ZVPathFromBookmark.h"
#include "Common/ZVUnarchivieFromDataToText.h"
#include "Common/ZVValueIs1.h"
#include "platform/ValueTransformerRegistry.h"

namespace ZVTransformerClasses {

template <typename T>
void put(const char* name) {
  ValueTransformerRegistry::setValueTransformer(std::make_shared<T>(), QString::fromLatin1(name));
}

void registerAll() {
  put<ZVDateTagElaborated>("ZVDateTagElaborated");
  put<ZVImgData>("ZVImgData");
  put<ZVIntToBool>("ZVIntToBool");
  put<ZVNegateIntToBool>("ZVNegateIntToBool");
  put<ZVOneIfOneInArray>("ZVOneIfOneInArray");
  put<ZVPathFromBookmark>("ZVPathFromBookmark");
  put<ZVNameFromBookmark>("ZVNameFromBookmark");
  put<ZV1IfNot0>("ZV1IfNot0");
  put<ZVNumberBoolToNumberNum>("ZVNumberBoolToNumberNum");
  put<ZVValueIs1>("ZVValueIs1");
  put<ZVHeightForFontSize>("ZVHeightForFontSize");
  put<ZVUnarchivieFromDataToText>("ZVUnarchivieFromDataToText");
  put<ZVEmptyTrimmedString>("ZVEmptyTrimmedString");
  put<ZVFilledTrimmedString>("ZVFilledTrimmedString");
  put<ZVDictToNSColor>("ZVDictToNSColor");
}

}  // namespace ZVTransformerClasses
