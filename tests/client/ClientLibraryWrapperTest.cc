// ClientLibraryWrapper: a call reaches its target with every argument in its
// own place, and the target's result and out-values come back unchanged.
#include "client/ClientLibraryWrapper.h"

#include <gtest/gtest.h>

#include <vector>

#include "client/LinkedClientLibrary.h"

namespace {

// Keeps the arguments of the widest Set call and fills the out-values of the
// widest Get call with values that tell them apart.
class Target : public ClientLibraryWrapper {
 public:
  explicit Target(ClientLibrary& linked) : ClientLibraryWrapper(linked) {}

  std::vector<double> setArgs;  // the name as 3 when it is the string passed
  BSTR expectedName = nullptr;

  int32_t SetPumpPropertiesEx(int32_t id, int32_t number, BSTR name, int16_t physicalNumber,
                              int16_t side, int16_t address, int16_t priceLevel1,
                              int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
                              int16_t valueDspFormat, int16_t pumpType, int32_t portId,
                              int32_t attendantId, int16_t authMode, int16_t stackMode,
                              int16_t prepayAllowed, int16_t preauthAllowed, int32_t slot,
                              int32_t muxSlotZigBeeId, int16_t priceControl,
                              int16_t hasPreset) override {
    setArgs = {double(id),
               double(number),
               name == expectedName ? 3.0 : 0.0,
               double(physicalNumber),
               double(side),
               double(address),
               double(priceLevel1),
               double(priceLevel2),
               double(priceDspFormat),
               double(volumeDspFormat),
               double(valueDspFormat),
               double(pumpType),
               double(portId),
               double(attendantId),
               double(authMode),
               double(stackMode),
               double(prepayAllowed),
               double(preauthAllowed),
               double(slot),
               double(muxSlotZigBeeId),
               double(priceControl),
               double(hasPreset)};
    return 17;
  }

  int32_t GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId, int32_t* tank,
                               int32_t* physicalNumber, double* h1, double* h2, double* h3,
                               double* h4, int16_t* reader, double* price1, double* price2,
                               int16_t* enabled) override {
    *number = id + 1;
    *pumpId = id + 2;
    *tank = id + 3;
    *physicalNumber = id + 4;
    *h1 = 5.5;
    *h2 = 6.5;
    *h3 = 7.5;
    *h4 = 8.5;
    *reader = 9;
    *price1 = 10.5;
    *price2 = 11.5;
    *enabled = 12;
    return 23;
  }
};

TEST(ClientLibraryWrapper, ForwardsArgumentsResultsAndOutValuesInPlace) {
  LinkedClientLibrary linked;
  Target target(linked);
  ClientLibraryWrapper wrapper(target);
  EXPECT_EQ(&target, &wrapper.Target());

  OLECHAR units[] = {'P', 0};
  target.expectedName = units;
  EXPECT_EQ(17, wrapper.SetPumpPropertiesEx(1, 2, units, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
                                            16, 17, 18, 19, 20, 21, 22));
  std::vector<double> expected;
  for (int i = 1; i <= 22; ++i) expected.push_back(i);
  EXPECT_EQ(expected, target.setArgs);

  int32_t number = 0, pumpId = 0, tank = 0, physicalNumber = 0;
  double h1 = 0, h2 = 0, h3 = 0, h4 = 0, price1 = 0, price2 = 0;
  int16_t reader = 0, enabled = 0;
  EXPECT_EQ(23, wrapper.GetHosePropertiesEx2(100, &number, &pumpId, &tank, &physicalNumber, &h1,
                                             &h2, &h3, &h4, &reader, &price1, &price2, &enabled));
  EXPECT_EQ(
      (std::vector<double>{101, 102, 103, 104, 5.5, 6.5, 7.5, 8.5, 9, 10.5, 11.5, 12}),
      (std::vector<double>{double(number), double(pumpId), double(tank), double(physicalNumber), h1,
                           h2, h3, h4, double(reader), price1, price2, double(enabled)}));
}

}  // namespace
