single_buffer(true) set_value(0, 0, 1e300) print(get_value(0, 0), bit_shfr(-8, 1), bit_shfl(1, 33))
while true do pcall(function() local t = {} for i = 1, 1e9 do t[i] = i end end) end
