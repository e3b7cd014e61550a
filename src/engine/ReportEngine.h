#pragma once

// Everything of the report engine in one include.

#include "engine/ReportPage.h"
#include "engine/ReportTemplate.h"
#include "engine/ShortDate.h"
