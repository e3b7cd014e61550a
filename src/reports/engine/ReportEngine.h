#pragma once

// Everything of the report engine in one include.

#include "ReportPage.h"
#include "ReportTemplate.h"
#include "ShortDate.h"
