#include "gridctrl/model/GridDataSource.h"

namespace gridctrl::model {

CGridDataSource::~CGridDataSource() = default;

} // namespace gridctrl::model
