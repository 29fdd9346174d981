#pragma once

#include "Form.h"

namespace varnook {

class Form8 : public Form {
    Q_OBJECT

public:
    explicit Form8(QWidget *parent = nullptr);

protected:
    bool Form_Load() override;
};

} // namespace varnook
