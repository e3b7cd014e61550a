<?xml version="1.0"?>
<!-- Balance of one account as of a date: money into the account (To) counts
     positive, money out of it (From) negative, over every transaction up to
     and including the date. The window writes the date into the second
     attribute of the second child and the account code into the second
     attribute of the third child.
     The result is the exact decimal text of the balance. XPath's sum() adds
     binary numbers (1000 times 999999999.99 gives 999999999989.992), so the
     amounts are added as two whole numbers each: the digits before the point
     and the first four after it. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="text"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AcCode" select="0"/>
  <xsl:template match="/">
    <xsl:variable name="upto" select="/Data/Trans/t[@dt &lt;= $ToDate]"/>
    <xsl:variable name="in">
      <xsl:call-template name="exactSum">
        <xsl:with-param name="nodes" select="$upto[@tAc = $AcCode]"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="out">
      <xsl:call-template name="exactSum">
        <xsl:with-param name="nodes" select="$upto[@fAc = $AcCode]"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:call-template name="decimalText">
      <xsl:with-param name="whole" select="substring-before($in, ' ') - substring-before($out, ' ')"/>
      <xsl:with-param name="units" select="substring-after($in, ' ') - substring-after($out, ' ')"/>
    </xsl:call-template>
  </xsl:template>

  <!-- "W U": the sum is W + U / 10000, W and U whole numbers written without
       exponent, 0 <= U < 10000. Halves the list each time, so the depth of
       the recursion is the logarithm of the count. -->
  <xsl:template name="exactSum">
    <xsl:param name="nodes"/>
    <xsl:variable name="n" select="count($nodes)"/>
    <xsl:choose>
      <xsl:when test="$n = 0">0 0</xsl:when>
      <xsl:when test="$n = 1">
        <!-- One amount, read on its digits: the integer part and the first four decimals. -->
        <xsl:variable name="s" select="normalize-space($nodes)"/>
        <xsl:variable name="sign" select="1 - 2 * starts-with($s, '-')"/>
        <xsl:variable name="digits" select="translate($s, '-', '')"/>
        <xsl:variable name="w" select="$sign * substring-before(concat($digits, '.'), '.')"/>
        <xsl:variable name="u" select="$sign * substring(concat(substring-after($digits, '.'), '0000'), 1, 4)"/>
        <xsl:variable name="carry" select="floor($u div 10000)"/>
        <xsl:value-of select="concat(format-number($w + $carry, '0'), ' ', format-number($u - 10000 * $carry, '0'))"/>
      </xsl:when>
      <xsl:when test="($n &lt;= 256 and not($nodes[. &gt;= 1000000 or . &lt;= -1000000]))
                      or ($n &lt;= 16 and not($nodes[. &gt;= 1000000000 or . &lt;= -1000000000]))">
        <!-- Up to 256 amounts below 10^6, or 16 below 10^9, with at most four
             decimals add up in binary within less than a tenth of a
             ten-thousandth of the true sum, so the rounded sum is exact. This
             saves most of the recursion. -->
        <xsl:variable name="u" select="round(sum($nodes) * 10000)"/>
        <xsl:variable name="w" select="floor($u div 10000)"/>
        <xsl:value-of select="concat(format-number($w, '0'), ' ', format-number($u - 10000 * $w, '0'))"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="half" select="floor($n div 2)"/>
        <xsl:variable name="a">
          <xsl:call-template name="exactSum">
            <xsl:with-param name="nodes" select="$nodes[position() &lt;= $half]"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="b">
          <xsl:call-template name="exactSum">
            <xsl:with-param name="nodes" select="$nodes[position() &gt; $half]"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="u" select="substring-after($a, ' ') + substring-after($b, ' ')"/>
        <xsl:variable name="carry" select="floor($u div 10000)"/>
        <xsl:value-of select="concat(format-number(substring-before($a, ' ') + substring-before($b, ' ') + $carry, '0'),
                              ' ', format-number($u - 10000 * $carry, '0'))"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- whole + units / 10000 as plain decimal text with four decimals. -->
  <xsl:template name="decimalText">
    <xsl:param name="whole"/>
    <xsl:param name="units"/>
    <xsl:variable name="carry" select="floor($units div 10000)"/>
    <xsl:variable name="w" select="$whole + $carry"/>
    <xsl:variable name="u" select="$units - 10000 * $carry"/>
    <xsl:choose>
      <xsl:when test="$w &lt; 0 and $u &gt; 0">
        <xsl:value-of select="concat('-', format-number(-$w - 1, '0'), '.', format-number(10000 - $u, '0000'))"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="concat(format-number($w, '0'), '.', format-number($u, '0000'))"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>
