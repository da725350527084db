// report/listings.h: the listing files (.ots, .tsf) of the scripts, as vexreport sees
// them: the shared reader of formats/listing_reader.h under the names the report uses.
#pragma once
#include "formats/listing_reader.h"

using ListingRecord = listing::Record;
using Listing = listing::Listing;
using listing::read_listing;
using listing::read_listings;
