local s = string.rep("x", 1e6) set_value(0, 0, #s) error(setmetatable({}, {__tostring = function() return "e" end}))
