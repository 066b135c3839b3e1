local i = 0
local x, y, z = 0.0, 0.0, 0.0
while i < 1600000 do
  x = x + 1.5
  y = x / 4
  z = y - z
  i = i + 1
end
print(z)
