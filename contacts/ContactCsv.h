#pragma once

#include <string>
#include <vector>

#include "contacts/ContactFile.h"

namespace tapelink {

// Which columns of a contact CSV file hold what (0-based). Columns not given are found from the header
// row (姓名/name/联系人, 电话/号码/手机/phone/tel/mobile, 单位/公司/company/organization); without a
// header the file is read as name, number, company.
struct ContactCsvColumns {
    int name = -1;
    std::vector<int> numbers;
    int company = -1;
};

// Reads a contact list in CSV (UTF-8 or GBK; commas, or tabs or semicolons where the first row uses
// those; RFC 4180 quoting, line breaks inside quotes included). A number cell may hold several numbers.
ContactFileContents readContactCsv(const std::string& bytes, const ContactCsvColumns& columns = {});

// The phonebook as CSV: UTF-8 with a byte-order mark (so spreadsheet programs take it as UTF-8), the
// header 姓名,电话号码,单位, numbers joined by commas, CRLF line ends, RFC 4180 quoting.
std::string contactCsvText(const std::vector<Contact>& contacts);

}  // namespace tapelink
