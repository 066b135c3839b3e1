local s = 'abcdefghij'
local t = 0
for i = 1, 1500000 do
  local u = string.sub(s, 2, 6)
  u = u .. 'xyz'
  local n = #u
  t = t + n
end
print(t)
